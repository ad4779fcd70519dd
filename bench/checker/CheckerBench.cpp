// Time and peak memory of the channel table checker over a full 200-record table and
// over a 10 MB file of records, both written to a temporary folder for the run. Each
// file is checked several times by the real checker program; every run is a child
// process of its own, so its peak memory comes from its own resource usage.
// Usage: brenvale_checker_bench [path to brenvale-check]

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ipc/Com1Frequency.h"

namespace {

constexpr int kFullTableRecords = 200;
constexpr long long kLargeFileBytes = 10LL * 1024 * 1024;
constexpr int kSmallRuns = 21;
constexpr int kLargeRuns = 5;
constexpr int kChannelsPerMegahertz = 40;  // 25 kHz apart
constexpr int kLowestMegahertz = kCom1LowestKhz / 1000;
constexpr int kBandMegahertz = (kCom1HighestKhz + 1 - kCom1LowestKhz) / 1000;

// The n-th COM channel as the radio shows it: 118.00, 118.02, 118.05, 118.07, 118.10...
std::string Channel(int n) {
    n %= kChannelsPerMegahertz * kBandMegahertz;
    const int megahertz = kLowestMegahertz + n / kChannelsPerMegahertz;
    const int hundredths = (n % kChannelsPerMegahertz) * 25 / 10;
    char text[8];
    std::snprintf(text, sizeof text, "%d.%02d", megahertz, hundredths);
    return text;
}

std::string Record(int n) {
    const std::string number = std::to_string(n);
    return Channel(n) + ",voice" + number + ".example.net:8767,pilot,secret" + number +
           ",Channel " + number + ",Sub " + number + "\r\n";
}

void WriteFullTable(const std::filesystem::path& path) {
    std::ofstream file(path, std::ios::binary);
    for (int n = 0; n < kFullTableRecords; ++n) file << Record(n);
}

// Records until the file reaches the size: past the 200th the program ignores them,
// and frequencies repeat, so the checker has a warning for nearly every one.
int WriteLargeFile(const std::filesystem::path& path) {
    std::ofstream file(path, std::ios::binary);
    long long written = 0;
    int n = 0;
    while (written < kLargeFileBytes) {
        const std::string record = Record(n++);
        file << record;
        written += static_cast<long long>(record.size());
    }
    return n;
}

struct Run {
    double milliseconds = 0;
    long peakKilobytes = 0;
    int exitStatus = -1;
};

// One run of the checker with its output thrown away, as a child process of its own.
Run CheckOnce(const std::string& checker, const std::string& table) {
    Run run;
    std::fflush(nullptr);  // the child must not write this program's buffered output again
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return run;
    if (child == 0) {
        const int nowhere = open("/dev/null", O_WRONLY);
        if (nowhere < 0 || dup2(nowhere, STDOUT_FILENO) < 0 || dup2(nowhere, STDERR_FILENO) < 0) {
            _exit(127);
        }
        execl(checker.c_str(), checker.c_str(), table.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return run;
    const auto end = std::chrono::steady_clock::now();
    run.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    run.peakKilobytes = usage.ru_maxrss;  // kilobytes on Linux
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// Prints the figures; false when the checker failed (exit 2: unreadable, or it crashed).
bool Report(const std::string& checker, const std::filesystem::path& table, int runs,
            const std::string& what) {
    std::vector<double> times;
    long peak = 0;
    int exitStatus = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = CheckOnce(checker, table.string());
        if (run.exitStatus != 0 && run.exitStatus != 1) {
            std::fprintf(stderr, "%s: the checker ended with status %d\n", what.c_str(),
                         run.exitStatus);
            return false;
        }
        times.push_back(run.milliseconds);
        peak = std::max(peak, run.peakKilobytes);
        exitStatus = run.exitStatus;
    }
    const auto [low, high] = std::minmax_element(times.begin(), times.end());
    std::printf("  %-40s median %8.1f ms (min %8.1f, max %8.1f)  peak %6ld KiB  exit %d\n",
                what.c_str(), Median(times), *low, *high, peak, exitStatus);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string checker = argc > 1 ? argv[1] : BRENVALE_CHECKER_PATH;
    if (access(checker.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "no checker program at %s\n", checker.c_str());
        return 2;
    }
    char folderTemplate[] = "/tmp/brenvale-checker-bench-XXXXXX";
    if (mkdtemp(folderTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = folderTemplate;
    const std::filesystem::path full = folder / "full-table.txt";
    const std::filesystem::path large = folder / "ten-megabytes.txt";
    WriteFullTable(full);
    const int largeRecords = WriteLargeFile(large);

    std::printf("The table checker (native), each run a process of its own, output discarded\n");
    const bool ok = Report(checker, full, kSmallRuns,
                           std::to_string(kFullTableRecords) + " records (" +
                               std::to_string(std::filesystem::file_size(full)) + " bytes), " +
                               std::to_string(kSmallRuns) + " runs") &&
                    Report(checker, large, kLargeRuns,
                           std::to_string(largeRecords) + " records (" +
                               std::to_string(std::filesystem::file_size(large) / (1024 * 1024)) +
                               " MiB), " + std::to_string(kLargeRuns) + " runs");
    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}

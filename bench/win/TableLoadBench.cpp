// Memory and time of the channel table load with the program's own reading code and
// Windows file calls: a 14 KB table of 200 records, then the same records followed by
// 700 MB, and a record followed by a double quote never closed in a 1.5 GB file (sparse
// files, so the disk holds almost nothing of them). The files are made in the temporary
// folder for the run and removed at its end.
//  - peak memory: the process's peak working set and peak private bytes after each
//    load; the small table is loaded first, so whatever the large one needs beyond it
//    shows as growth of the peak;
//  - time: the median of repeated loads of each file, open to close.
// Usage: brenvale_table_bench.exe [--runs N]

#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/ChannelTable.h"
#include "bench/win/BenchSupport.h"
#include "platform/PlatformFailure.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

constexpr LONGLONG kLargeBytes = 700LL * 1024 * 1024;
constexpr LONGLONG kRunOnBytes = 1536LL * 1024 * 1024;
const char kRunOnTable[] = "122.80,s,l,p,c,x\r\n123.45,\"";
constexpr int kDefaultRuns = 21;

// 200 records of about 70 bytes each: 14 KB.
std::string SmallTable() {
    std::string text;
    for (int n = 1; n <= kChannelCapacity; ++n) {
        const std::string id = std::to_string(n);
        text += "1" + std::to_string(18 + n % 19) + ".50,voice" + id +
                ".example.net,pilot,secret,\"Approach, Final\",Sub-ch " + id + "\r\n";
    }
    return text;
}

bool WriteFileOf(const std::wstring& path, const std::string& bytes, LONGLONG extendTo) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    if (ok && extendTo > 0) {
        DWORD returned = 0;
        DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = extendTo;
        ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    }
    CloseHandle(file);
    return ok;
}

// The program's load without its window. Returns the record count.
int LoadTable(Win32FileSystem& files, const std::wstring& path, ChannelColumns& table) {
    return LoadTableFile(files.OpenForReading(path), table, files).read.extent.records;
}

struct Memory {
    SIZE_T peakWorkingSet = 0, peakPrivate = 0;
};

Memory ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {counters.PeakWorkingSetSize, counters.PeakPagefileUsage};
}

double KiB(SIZE_T bytes) {
    return static_cast<double>(bytes) / 1024.0;
}

double Signed(SIZE_T after, SIZE_T before) {
    return (static_cast<double>(after) - static_cast<double>(before)) / 1024.0;
}

// The median time of `runs` loads, in milliseconds; -1 when a load does not give
// `expected` records.
double TimeLoads(Win32FileSystem& files, const std::wstring& path, int runs,
                 int expected = kChannelCapacity) {
    bench::StopWatch watch;
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        ChannelColumns table;
        const LONGLONG start = watch.Now();
        const int records = LoadTable(files, path, table);
        samples.push_back(watch.Milliseconds(start, watch.Now()));
        if (records != expected) return -1;
    }
    return bench::Median(samples);
}

int Run(int runs) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"brenvale-table-bench-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring small = folder + L"\\small.txt", large = folder + L"\\large.txt",
                       runOn = folder + L"\\run-on.txt";
    const std::string records = SmallTable();
    const bool made = CreateDirectoryW(folder.c_str(), nullptr) && WriteFileOf(small, records, 0) &&
                      WriteFileOf(large, records, kLargeBytes) &&
                      WriteFileOf(runOn, kRunOnTable, kRunOnBytes);
    int status = 1;
    if (!made) {
        std::fprintf(stderr, "cannot write the tables in %ls\n", folder.c_str());
    } else {
        Win32FileSystem files;
        // Each table lives only through its load, as one window's table would.
        const Memory before = ProcessMemory();
        const int smallCount = LoadTable(files, small, *std::make_unique<ChannelColumns>());
        const Memory afterSmall = ProcessMemory();
        const int largeCount = LoadTable(files, large, *std::make_unique<ChannelColumns>());
        const Memory afterLarge = ProcessMemory();
        std::printf("Channel table load, %d-bit build, the program's reading code\n",
                    static_cast<int>(sizeof(void*) * 8));
        std::printf(
            "  tables: %lu bytes (%d records loaded), and the same followed by %lu MB "
            "(%d records loaded)\n",
            static_cast<unsigned long>(records.size()), smallCount,
            static_cast<unsigned long>(kLargeBytes / (1024 * 1024)), largeCount);
        std::printf(
            "  peak working set: %.0f KiB before, %.0f KiB after the 14 KB table, "
            "%.0f KiB after the 700 MB one (%+.0f KiB; goal: within 1024)\n",
            KiB(before.peakWorkingSet), KiB(afterSmall.peakWorkingSet),
            KiB(afterLarge.peakWorkingSet),
            Signed(afterLarge.peakWorkingSet, afterSmall.peakWorkingSet));
        std::printf(
            "  peak private bytes: %.0f KiB before, %.0f KiB after the 14 KB table, "
            "%.0f KiB after the 700 MB one (%+.0f KiB)\n",
            KiB(before.peakPrivate), KiB(afterSmall.peakPrivate), KiB(afterLarge.peakPrivate),
            Signed(afterLarge.peakPrivate, afterSmall.peakPrivate));
        const double smallMs = TimeLoads(files, small, runs);
        const double largeMs = TimeLoads(files, large, runs);
        std::printf(
            "  load time, median of %d: %.3f ms for the 14 KB table, %.3f ms for the "
            "700 MB one (goal: under 50 ms)\n",
            runs, smallMs, largeMs);
        const double runOnMs = TimeLoads(files, runOn, runs, 1);
        std::printf(
            "  a double quote never closed in a 1.5 GB file: record 1 loaded, median of %d: "
            "%.3f ms (goal: under 50 ms)\n",
            runs, runOnMs);
        status = smallCount == kChannelCapacity && largeCount == kChannelCapacity && smallMs >= 0 &&
                         largeMs >= 0 && runOnMs >= 0
                     ? 0
                     : 1;
    }
    DeleteFileW(small.c_str());
    DeleteFileW(large.c_str());
    DeleteFileW(runOn.c_str());
    RemoveDirectoryW(folder.c_str());
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = kDefaultRuns;
    if (argc == 3 && std::wcscmp(argv[1], L"--runs") == 0) runs = _wtoi(argv[2]);
    if ((argc != 1 && argc != 3) || runs < 1) {
        std::fprintf(stderr, "usage: brenvale_table_bench.exe [--runs N]\n");
        return 2;
    }
    try {
        return Run(runs);
    } catch (const PlatformFailure& failure) {
        std::fprintf(stderr, "the load failed: %ls\n", failure.Description().c_str());
        return 1;
    }
}

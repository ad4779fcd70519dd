// The real brenvale.exe over a channel table of 200 records followed by 700 MB: the
// window opens with all 200 records, and the process needs no more memory than with a
// small table. The large file is sparse, made here and removed with the run's folder.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <cstdio>
#include <string>

#include "Scenario.h"

namespace e2e {
namespace {

constexpr LONGLONG kLargeTableBytes = 700LL * 1024 * 1024;
constexpr SIZE_T kMemoryMargin = 1024 * 1024;

// 200 records; record n is on the n-th 25 kHz channel from 118.00.
std::string TwoHundredRecords() {
    std::string text;
    for (int n = 0; n < 200; ++n) {
        const int hundredths = 11800 + n / 4 * 10 + (n % 4) * 25 / 10;
        const std::string frequency = std::to_string(hundredths / 100) + "." +
                                      std::to_string(hundredths % 100 / 10) +
                                      std::to_string(hundredths % 10);
        text +=
            frequency + ",voice.example.net,pilot,secret,chan" + std::to_string(n + 1) + ",sub\r\n";
    }
    return text;
}

// Grows the file to `size` without writing: the rest reads as zero bytes.
void ExtendSparsely(const std::wstring& path, LONGLONG size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
}

struct RunFigures {
    SIZE_T peakWorkingSet = 0;
    std::wstring lastStart;
};

// Runs brenvale.exe over the table with COM1 on the last record's frequency.
RunFigures RunWithTable(const std::string& records, LONGLONG extendTo) {
    Scenario run;
    run.SetUpMachine();
    run.WriteChannelTable(records);
    if (extendTo > 0) ExtendSparsely(run.ProgramFolder() + L"\\brenvale.txt", extendTo);
    run.StartSimulator(L"--com1 122.97");
    run.StartBrenvale();
    run.AnswerName(L"Ann");  // asked only when the load went on without a report
    RunFigures figures;
    if (run.MainWindow() == nullptr || !run.WaitForStarts(1, 10000)) {
        ADD_FAILURE() << "no window, or TeamSpeak never started";
        return figures;
    }
    figures.lastStart = run.TeamSpeakStarts().back();
    HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, run.BrenvaleProcessId());
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    EXPECT_TRUE(process && GetProcessMemoryInfo(process, &counters, sizeof counters));
    if (process) CloseHandle(process);
    figures.peakWorkingSet = counters.PeakWorkingSetSize;
    run.CloseBrenvale();
    return figures;
}

TEST(EndToEnd, ATableFollowedBy700MegabytesLoadsItsRecordsInTheMemoryOfASmallOne) {
    const std::string records = TwoHundredRecords();
    ASSERT_NE(records.find("122.97,voice.example.net,pilot,secret,chan200,"), std::string::npos);
    const RunFigures small = RunWithTable(records, 0);
    const RunFigures large = RunWithTable(records, kLargeTableBytes);
    for (const RunFigures* figures : {&small, &large}) {
        EXPECT_NE(figures->lastStart.find(L"?channel=chan200?"), std::wstring::npos)
            << figures->lastStart;
    }
    EXPECT_GT(small.peakWorkingSet, 0u);
    EXPECT_LE(large.peakWorkingSet, small.peakWorkingSet + kMemoryMargin);
    std::printf(
        "peak working set of brenvale.exe: %lu KiB with the small table, %lu KiB "
        "with the large one\n",
        static_cast<unsigned long>(small.peakWorkingSet / 1024),
        static_cast<unsigned long>(large.peakWorkingSet / 1024));
}

}  // namespace
}  // namespace e2e

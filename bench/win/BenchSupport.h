#pragma once
// What the Windows benchmarks share: a stop watch, medians, the folder of the built
// programs, a stop at Ctrl-C that unwinds, and the stand-in simulator run for the
// duration of a benchmark.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/Win32Helpers.h"
#include "tools/dialog-driver/DialogDriver.h"

namespace bench {

class StopWatch {
  public:
    StopWatch() { QueryPerformanceFrequency(&frequency_); }
    LONGLONG Now() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }
    double Microseconds(LONGLONG from, LONGLONG to) const {
        return static_cast<double>(to - from) * 1e6 / static_cast<double>(frequency_.QuadPart);
    }
    double Milliseconds(LONGLONG from, LONGLONG to) const {
        return Microseconds(from, to) / 1000.0;
    }

  private:
    LARGE_INTEGER frequency_;
};

inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// The folder of this program, ending in a backslash: the other built programs are there.
inline std::wstring ProgramFolder() {
    return ::ProgramFolder() + L"\\";
}

// Ctrl-C ends a process without unwinding its stack. A benchmark with something to undo
// calls StopOnCtrlC, waits with Pause and checks StopRequested, and so ends as on any
// other way out.
inline HANDLE StopEvent() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}
inline BOOL WINAPI RequestStop(DWORD) {
    SetEvent(StopEvent());
    return TRUE;
}
inline void StopOnCtrlC() {
    StopEvent();  // made before any Ctrl-C can arrive
    SetConsoleCtrlHandler(RequestStop, TRUE);
}
// Sleeps; false at once when a stop was requested.
inline bool Pause(DWORD ms) {
    return WaitForSingleObject(StopEvent(), ms) == WAIT_TIMEOUT;
}
inline bool StopRequested() {
    return !Pause(0);
}

// The stand-in simulator for the run; ended when the benchmark ends.
class Simulator {
  public:
    bool Start(const std::wstring& arguments) {
        process_ = driver::StartProgram(ProgramFolder() + L"standin-sim.exe", arguments);
        // Idle in its message loop means its window is up and serving.
        return process_ && WaitForInputIdle(process_.get(), 20000) == 0 &&
               FindWindowExW(nullptr, nullptr, driver::kSimulatorClass, nullptr) != nullptr;
    }

  private:
    driver::Process process_;
};

}  // namespace bench

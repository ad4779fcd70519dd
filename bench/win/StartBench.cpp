// Start-up and idle figures of brenvale.exe, on a machine set up as a pilot's would be
// (TeamSpeak's folder known, the module offer settled, a channel table beside the
// program) with the stand-in simulator running:
//  - from CreateProcess to the session-name box, and to the main window being shown
//    with the name answered at once, against a program that only opens a window;
//  - the processor time brenvale.exe uses over a stretch of steady polling with COM1
//    unchanged.
// Usage: brenvale_start_bench.exe [--runs N] [--cpu-seconds S]   (S = 0: no CPU figure)
// The settings it writes under HKCU are put back as they were when it ends.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/FrmMain.h"
#include "bench/win/BenchSupport.h"
#include "ipc/Fsuipc.h"
#include "tools/dialog-driver/DialogDriver.h"
#include "tools/dialog-driver/PilotMachine.h"

namespace {

constexpr wchar_t kMinimalWindowClass[] = L"BrenvaleBenchMinimalWindow";
constexpr wchar_t kNameBoxTitle[] = L"Brenvale";
constexpr wchar_t kSimulatorCom1[] = L"122.80";
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kWindowPollMs = 1;  // the figures are in tens to hundreds of milliseconds
constexpr int kDefaultRuns = 21;
constexpr int kDefaultCpuSeconds = 60;
// brenvale.exe's start against the minimal program's plus the link's handshake pause.
constexpr double kNameBoxRatioGoal = 1.05, kMainWindowRatioGoal = 1.10;

const bench::StopWatch watch;

struct Options {
    int runs = kDefaultRuns;
    int cpuSeconds = kDefaultCpuSeconds;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::wcscmp(argv[i], L"--runs") == 0 && hasValue) {
            options.runs = _wtoi(argv[++i]);
        } else if (std::wcscmp(argv[i], L"--cpu-seconds") == 0 && hasValue) {
            options.cpuSeconds = _wtoi(argv[++i]);
        } else {
            return false;
        }
    }
    return options.runs > 0 && options.cpuSeconds >= 0;
}

// ------------------------------------------------------------------ one process

// Processor time used so far, kernel and user, in milliseconds; negative on failure.
double ProcessorMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    const auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

HWND WaitForWindow(const driver::Process& process, const wchar_t* className,
                   const wchar_t* title = nullptr) {
    if (!process) return nullptr;
    return driver::WaitForProcessWindow(process.get(), className, kWindowTimeoutMs, title,
                                        kWindowPollMs);
}

// brenvale.exe started and its name box answered at once; times from CreateProcess.
struct BrenvaleLaunch {
    driver::Process process;
    HWND window = nullptr;  // the main window; null when a step failed
    double nameBoxMs = -1, mainWindowMs = -1;
};

BrenvaleLaunch LaunchBrenvale(const driver::PilotMachine& machine) {
    BrenvaleLaunch launch;
    const LONGLONG start = watch.Now();
    launch.process = driver::StartProgram(machine.Program(), L"", machine.ProgramFolder());
    HWND nameBox = WaitForWindow(launch.process, driver::kDialogClass, kNameBoxTitle);
    if (!nameBox) return launch;
    launch.nameBoxMs = watch.Milliseconds(start, watch.Now());
    driver::TypeIntoEdit(nameBox, L"Bench Pilot");
    driver::PressButton(nameBox, IDOK);
    launch.window = WaitForWindow(launch.process, kMainWindowClass);
    if (launch.window) launch.mainWindowMs = watch.Milliseconds(start, watch.Now());
    return launch;
}

// ------------------------------------------------------------------ the figures

// From CreateProcess to the minimal program's window shown; negative on failure.
double TimeMinimalWindow() {
    const LONGLONG start = watch.Now();
    const driver::Process process =
        driver::StartProgram(bench::ProgramFolder() + L"minimal-window.exe");
    HWND window = WaitForWindow(process, kMinimalWindowClass);
    const double shownMs = watch.Milliseconds(start, watch.Now());
    driver::CloseAndWait(window, kExitTimeoutMs);
    return window ? shownMs : -1;
}

// From CreateProcess to the name box and to the main window; negative on failure.
std::pair<double, double> TimeBrenvale(const driver::PilotMachine& machine) {
    const BrenvaleLaunch launch = LaunchBrenvale(machine);
    driver::CloseAndWait(launch.window, kExitTimeoutMs);
    driver::PilotMachine::EndClients();  // the first poll may have started one
    return {launch.nameBoxMs, launch.mainWindowMs};
}

void PrintSteadyPolling(double cpuMs, double wallMs, size_t teamSpeakStarts) {
    std::printf("CPU of brenvale.exe over %.1f s of steady polling (COM1 %ls, unchanged)\n",
                wallMs / 1000, kSimulatorCom1);
    // The system counts processor time in clock ticks (10 to 16 ms), so a figure
    // this small is a count of a few ticks.
    std::printf(
        "  processor time %.0f ms (kernel + user, in clock ticks): %.3f%% of one "
        "core (goal: under 1%%)\n",
        cpuMs, 100.0 * cpuMs / wallMs);
    std::printf("  about %.0f polls in the window, %u TeamSpeak start(s) during it\n",
                wallMs / kTimer1IntervalMs, static_cast<unsigned>(teamSpeakStarts));
}

// Processor time over `seconds` of polling once the start is over; false on failure.
bool MeasureSteadyPolling(const driver::PilotMachine& machine, int seconds) {
    const BrenvaleLaunch launch = LaunchBrenvale(machine);
    // The first polls start TeamSpeak; then all is steady.
    if (!launch.window || !bench::Pause(3 * kTimer1IntervalMs)) return false;
    const size_t startsBefore = machine.Starts().size();
    const double cpuBefore = ProcessorMs(launch.process.get());
    const LONGLONG from = watch.Now();
    const bool whole = bench::Pause(static_cast<DWORD>(seconds) * 1000);
    const double cpuAfter = ProcessorMs(launch.process.get());
    const double wallMs = watch.Milliseconds(from, watch.Now());
    const size_t startsDuring = machine.Starts().size() - startsBefore;
    driver::CloseAndWait(launch.window, kExitTimeoutMs);
    if (!whole || cpuBefore < 0 || cpuAfter < 0) return false;
    PrintSteadyPolling(cpuAfter - cpuBefore, wallMs, startsDuring);
    return true;
}

struct StartSamples {
    std::vector<double> minimal, nameBox, mainWindow, afterAnswer;
};

bool CollectStarts(const driver::PilotMachine& machine, int runs, StartSamples& samples) {
    // One start of each first, not counted: the first start of a program reads it from
    // disk and loads the system libraries it needs.
    TimeMinimalWindow();
    TimeBrenvale(machine);
    for (int run = 0; run < runs; ++run) {  // alternating, so drift hits both
        const double minimalMs = TimeMinimalWindow();
        const auto [nameBoxMs, mainWindowMs] = TimeBrenvale(machine);
        if (bench::StopRequested()) return false;
        if (minimalMs < 0 || mainWindowMs < 0) {
            std::fprintf(stderr, "run %d: a window did not show within %lu ms\n", run + 1,
                         static_cast<unsigned long>(kWindowTimeoutMs));
            return false;
        }
        samples.minimal.push_back(minimalMs);
        samples.nameBox.push_back(nameBoxMs);
        samples.mainWindow.push_back(mainWindowMs);
        samples.afterAnswer.push_back(mainWindowMs - nameBoxMs);
    }
    return true;
}

void Report(const char* what, const std::vector<double>& samples) {
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    std::printf("  %-48s median %7.1f ms   (min %7.1f, max %7.1f)\n", what, bench::Median(samples),
                *low, *high);
}

void ReportRatio(const char* what, const std::vector<double>& samples, double yardstick,
                 double goal) {
    std::printf("  %-48s %.2f   (goal: at most %.2f)\n", what, bench::Median(samples) / yardstick,
                goal);
}

void PrintStartFigures(const StartSamples& samples, int runs) {
    std::printf("Start to window shown, %d runs each, %d-bit build, from CreateProcess\n", runs,
                static_cast<int>(sizeof(void*) * 8));
    Report("minimal program: its window shown", samples.minimal);
    Report("brenvale.exe: the session-name box shown", samples.nameBox);
    Report("brenvale.exe: main window shown (name answered)", samples.mainWindow);
    Report("brenvale.exe: from the answer to the main window", samples.afterAnswer);
    const double yardstick = bench::Median(samples.minimal) + kHandshakePauseMs;
    std::printf(
        "Start ratios, medians against the minimal program's + %u ms (the handshake pause)\n",
        static_cast<unsigned>(kHandshakePauseMs));
    ReportRatio("session-name box shown", samples.nameBox, yardstick, kNameBoxRatioGoal);
    ReportRatio("main window shown (name answered)", samples.mainWindow, yardstick,
                kMainWindowRatioGoal);
}

int Run(const Options& options) {
    bench::StopOnCtrlC();
    bench::Simulator simulator;
    if (!simulator.Start(std::wstring(L"--title Benchmark --com1 ") + kSimulatorCom1)) {
        std::fprintf(stderr, "standin-sim.exe did not start or showed no window\n");
        return 1;
    }
    // Folder or file failures throw, and the caller reports them.
    const driver::PilotMachine machine(
        std::filesystem::temp_directory_path() /
            (L"brenvale-start-bench-" + std::to_wstring(GetCurrentProcessId())),
        true);
    if (!machine.WriteTable(Utf8(kSimulatorCom1) +
                            ",voice.example.net,pilot,secret,Approach,Final\r\n"
                            "123.45,voice.example.net,pilot,secret,Tower,Ground\r\n")) {
        std::fprintf(stderr, "could not set up the program folder and settings\n");
        return 1;
    }
    StartSamples samples;
    if (!CollectStarts(machine, options.runs, samples)) return 1;
    PrintStartFigures(samples, options.runs);
    if (options.cpuSeconds > 0 && !MeasureSteadyPolling(machine, options.cpuSeconds)) {
        std::fprintf(stderr, "the steady-polling run failed (no window, or no process times)\n");
        return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: brenvale_start_bench.exe [--runs N] [--cpu-seconds S]\n");
        return 2;
    }
    // Caught here so that the stack unwinds and the set-up machine is undone.
    try {
        const int status = Run(options);
        if (bench::StopRequested()) {
            std::fprintf(stderr, "stopped; the machine is put back as it was\n");
        }
        return status;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "the start benchmark failed: %s\n", failure.what());
        return 1;
    }
}

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
#include <optional>
#include <string>
#include <vector>

#include "bench/win/BenchSupport.h"
#include "ipc/Fsuipc.h"
#include "platform/win32/Win32MainWindow.h"
#include "tools/teamspeak-standin/TeamSpeakStandIn.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\Brenvale\\Settings";
constexpr wchar_t kMinimalWindowClass[] = L"BrenvaleBenchMinimalWindow";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kNameBoxTitle[] = L"Brenvale";
constexpr char kSimulatorCom1[] = "122.80";
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kPollIntervalMs = 1500;  // brenvale.exe's own poll period
constexpr int kDefaultRuns = 21;
constexpr int kDefaultCpuSeconds = 60;
// brenvale.exe's start against the minimal program's plus the link's handshake pause.
constexpr double kNameBoxRatioGoal = 1.05, kMainWindowRatioGoal = 1.10;

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

// ------------------------------------------------------------------ the set-up machine

std::optional<std::wstring> ReadSetting(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = L"";
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value);
}

// Sets or (for nullopt) removes one value of the settings key.
bool WriteSetting(const wchar_t* name, const std::optional<std::wstring>& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG status = ERROR_SUCCESS;
    if (value) {
        status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                                static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(key, name);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

size_t CountLines(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    size_t lines = 0;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i) lines += buffer[i] == '\n';
    }
    CloseHandle(file);
    return lines;
}

BOOL CALLBACK CloseTeamSpeakStandIn(HWND window, LPARAM) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (std::wcscmp(name, kTeamSpeakStandInClass) == 0) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// A folder with brenvale.exe and its table, a TeamSpeak folder with the stand-in, and
// the settings naming it; all of it undone when the object ends.
class SetUpMachine {
  public:
    SetUpMachine() {
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        root_ =
            std::wstring(temp) + L"brenvale-start-bench-" + std::to_wstring(GetCurrentProcessId());
        programFolder_ = root_ + L"\\Brenvale";
        teamSpeakFolder_ = root_ + L"\\Team Speak 2";
        savedKeyExisted_ = KeyExists();
        savedPath_ = ReadSetting(L"TSPath");
        savedOffer_ = ReadSetting(L"FSUIPCINST");
    }
    SetUpMachine(const SetUpMachine&) = delete;
    SetUpMachine& operator=(const SetUpMachine&) = delete;

    ~SetUpMachine() {
        CloseTeamSpeakStandIns();
        Sleep(500);  // lets the stand-ins end before their folder goes
        if (savedKeyExisted_) {
            WriteSetting(L"TSPath", savedPath_);
            WriteSetting(L"FSUIPCINST", savedOffer_);
        } else {
            RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
        }
        for (const std::wstring& file :
             {programFolder_ + L"\\brenvale.exe", programFolder_ + L"\\brenvale.txt",
              teamSpeakFolder_ + L"\\teamspeak.exe", TeamSpeakLog()}) {
            DeleteFileW(file.c_str());
        }
        RemoveDirectoryW(programFolder_.c_str());
        RemoveDirectoryW(teamSpeakFolder_.c_str());
        RemoveDirectoryW(root_.c_str());
    }

    bool Prepare() {
        const std::wstring built = bench::ProgramFolder();
        // The table holds the simulator's frequency, so the steady state is a match.
        const std::string table = std::string(kSimulatorCom1) +
                                  ",voice.example.net,pilot,secret,Approach,Final\r\n"
                                  "123.45,voice.example.net,pilot,secret,Tower,Ground\r\n";
        return CreateDirectoryW(root_.c_str(), nullptr) &&
               CreateDirectoryW(programFolder_.c_str(), nullptr) &&
               CreateDirectoryW(teamSpeakFolder_.c_str(), nullptr) &&
               CopyFileW((built + L"brenvale.exe").c_str(), BrenvaleProgram().c_str(), FALSE) &&
               CopyFileW((built + L"teamspeak-standin\\teamspeak.exe").c_str(),
                         (teamSpeakFolder_ + L"\\teamspeak.exe").c_str(), FALSE) &&
               WriteTextFile(programFolder_ + L"\\brenvale.txt", table) &&
               WriteSetting(L"TSPath", teamSpeakFolder_) && WriteSetting(L"FSUIPCINST", L"1");
    }

    std::wstring BrenvaleProgram() const { return programFolder_ + L"\\brenvale.exe"; }
    const std::wstring& ProgramFolder() const { return programFolder_; }
    std::wstring TeamSpeakLog() const { return teamSpeakFolder_ + L"\\teamspeak-log.txt"; }
    size_t TeamSpeakStarts() const { return CountLines(TeamSpeakLog()); }
    static void CloseTeamSpeakStandIns() { EnumWindows(CloseTeamSpeakStandIn, 0); }

  private:
    std::wstring root_, programFolder_, teamSpeakFolder_;
    bool savedKeyExisted_ = false;
    std::optional<std::wstring> savedPath_, savedOffer_;
};

// ------------------------------------------------------------------ one process

// A visible top-level window of the process with the class (and title, if given).
HWND FindVisibleWindow(DWORD processId, const wchar_t* className, const wchar_t* title) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, title); window != nullptr;
         window = FindWindowExW(nullptr, window, className, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

class Process {
  public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { End(); }

    bool Start(const std::wstring& program, const std::wstring& folder) {
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              folder.empty() ? nullptr : folder.c_str(), &startup, &info_) != 0;
    }

    // Polls every millisecond: the figures are in tens to hundreds of milliseconds.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title) const {
        const DWORD start = GetTickCount();
        for (;;) {
            if (HWND window = FindVisibleWindow(info_.dwProcessId, className, title)) {
                return window;
            }
            if (GetTickCount() - start >= kWindowTimeoutMs) return nullptr;
            if (WaitForSingleObject(info_.hProcess, 1) == WAIT_OBJECT_0) return nullptr;
        }
    }

    // Processor time used so far, kernel and user, in milliseconds.
    double ProcessorMs() const {
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(info_.hProcess, &created, &exited, &kernel, &user)) return -1;
        return (Ticks(kernel) + Ticks(user)) / 10000.0;
    }

    // Closes the window as a user would; ends the process only if that does not.
    void Close(HWND window) {
        if (window) PostMessageW(window, WM_CLOSE, 0, 0);
        End();
    }

  private:
    static double Ticks(const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    }

    void End() {
        if (info_.hProcess == nullptr) return;
        if (WaitForSingleObject(info_.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, kExitTimeoutMs);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
        info_ = PROCESS_INFORMATION{};
    }

    PROCESS_INFORMATION info_{};
};

void AnswerNameBox(HWND nameBox) {
    HWND edit = FindWindowExW(nameBox, nullptr, L"Edit", nullptr);
    if (edit) SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Bench Pilot"));
    PostMessageW(nameBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(nameBox, IDOK)));
}

// ------------------------------------------------------------------ the figures

struct BrenvaleStart {
    double nameBoxMs = -1;
    double mainWindowMs = -1;
    double afterAnswerMs = -1;
};

class StartBench {
  public:
    explicit StartBench(const SetUpMachine& machine) : machine_(machine) {}

    // From CreateProcess to the minimal program's window shown; negative on failure.
    double TimeMinimalWindow() {
        Process process;
        const LONGLONG start = watch_.Now();
        if (!process.Start(bench::ProgramFolder() + L"minimal-window.exe", L"")) return -1;
        HWND window = process.WaitForWindow(kMinimalWindowClass, nullptr);
        const LONGLONG shown = watch_.Now();
        process.Close(window);
        return window ? watch_.Milliseconds(start, shown) : -1;
    }

    BrenvaleStart TimeBrenvale() {
        BrenvaleStart figures;
        Process process;
        const LONGLONG start = watch_.Now();
        if (!process.Start(machine_.BrenvaleProgram(), machine_.ProgramFolder())) return figures;
        HWND nameBox = process.WaitForWindow(kDialogClass, kNameBoxTitle);
        if (!nameBox) return figures;
        const LONGLONG asked = watch_.Now();
        AnswerNameBox(nameBox);
        HWND window = process.WaitForWindow(kMainWindowClass, nullptr);
        const LONGLONG shown = watch_.Now();
        process.Close(window);
        SetUpMachine::CloseTeamSpeakStandIns();  // the first poll may have started one
        if (!window) return figures;
        figures.nameBoxMs = watch_.Milliseconds(start, asked);
        figures.mainWindowMs = watch_.Milliseconds(start, shown);
        figures.afterAnswerMs = watch_.Milliseconds(asked, shown);
        return figures;
    }

    // Processor time over `seconds` of polling once the start is over; false on failure.
    bool MeasureSteadyPolling(int seconds) {
        Process process;
        if (!process.Start(machine_.BrenvaleProgram(), machine_.ProgramFolder())) return false;
        HWND nameBox = process.WaitForWindow(kDialogClass, kNameBoxTitle);
        if (!nameBox) return false;
        AnswerNameBox(nameBox);
        HWND window = process.WaitForWindow(kMainWindowClass, nullptr);
        if (!window) return false;
        Sleep(3 * kPollIntervalMs);  // the first polls start TeamSpeak; then all is steady
        const size_t startsBefore = machine_.TeamSpeakStarts();
        const double cpuBefore = process.ProcessorMs();
        const LONGLONG from = watch_.Now();
        Sleep(static_cast<DWORD>(seconds) * 1000);
        const double cpuAfter = process.ProcessorMs();
        const LONGLONG to = watch_.Now();
        const size_t startsDuring = machine_.TeamSpeakStarts() - startsBefore;
        process.Close(window);
        if (cpuBefore < 0 || cpuAfter < 0) return false;
        const double wallMs = watch_.Milliseconds(from, to);
        std::printf("CPU of brenvale.exe over %.1f s of steady polling (COM1 %s, unchanged)\n",
                    wallMs / 1000, kSimulatorCom1);
        // The system counts processor time in clock ticks (10 to 16 ms), so a figure
        // this small is a count of a few ticks.
        std::printf(
            "  processor time %.0f ms (kernel + user, in clock ticks): %.3f%% of one "
            "core (goal: under 1%%)\n",
            cpuAfter - cpuBefore, 100.0 * (cpuAfter - cpuBefore) / wallMs);
        std::printf("  about %.0f polls in the window, %u TeamSpeak start(s) during it\n",
                    wallMs / kPollIntervalMs, static_cast<unsigned>(startsDuring));
        return true;
    }

  private:
    const SetUpMachine& machine_;
    bench::StopWatch watch_;
};

void Report(const char* what, const std::vector<double>& samples) {
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    std::printf("  %-48s median %7.1f ms   (min %7.1f, max %7.1f)\n", what, bench::Median(samples),
                *low, *high);
}

bool RunStartFigures(StartBench& bench, int runs) {
    // One start of each first, not counted: the first start of a program reads it from
    // disk and loads the system libraries it needs.
    bench.TimeMinimalWindow();
    bench.TimeBrenvale();
    std::vector<double> minimal, nameBox, mainWindow, afterAnswer;
    for (int run = 0; run < runs; ++run) {  // alternating, so drift hits both
        const double minimalMs = bench.TimeMinimalWindow();
        const BrenvaleStart brenvale = bench.TimeBrenvale();
        if (minimalMs < 0 || brenvale.mainWindowMs < 0) {
            std::fprintf(stderr, "run %d: a window did not show within %lu ms\n", run + 1,
                         static_cast<unsigned long>(kWindowTimeoutMs));
            return false;
        }
        minimal.push_back(minimalMs);
        nameBox.push_back(brenvale.nameBoxMs);
        mainWindow.push_back(brenvale.mainWindowMs);
        afterAnswer.push_back(brenvale.afterAnswerMs);
    }
    std::printf("Start to window shown, %d runs each, %d-bit build, from CreateProcess\n", runs,
                static_cast<int>(sizeof(void*) * 8));
    Report("minimal program: its window shown", minimal);
    Report("brenvale.exe: the session-name box shown", nameBox);
    Report("brenvale.exe: main window shown (name answered)", mainWindow);
    Report("brenvale.exe: from the answer to the main window", afterAnswer);
    const double yardstick = bench::Median(minimal) + kHandshakePauseMs;
    std::printf(
        "Start ratios, medians against the minimal program's + %u ms (the handshake pause)\n",
        static_cast<unsigned>(kHandshakePauseMs));
    std::printf("  %-48s %.2f   (goal: at most %.2f)\n", "session-name box shown",
                bench::Median(nameBox) / yardstick, kNameBoxRatioGoal);
    std::printf("  %-48s %.2f   (goal: at most %.2f)\n", "main window shown (name answered)",
                bench::Median(mainWindow) / yardstick, kMainWindowRatioGoal);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: brenvale_start_bench.exe [--runs N] [--cpu-seconds S]\n");
        return 2;
    }
    bench::Simulator simulator;
    if (!simulator.Start(
            std::wstring(L"--title Benchmark --com1 ") +
            std::wstring(kSimulatorCom1, kSimulatorCom1 + sizeof kSimulatorCom1 - 1))) {
        std::fprintf(stderr, "standin-sim.exe did not start or showed no window\n");
        return 1;
    }
    SetUpMachine machine;
    if (!machine.Prepare()) {
        std::fprintf(stderr, "could not set up the program folder and settings: error %lu\n",
                     GetLastError());
        return 1;
    }
    StartBench bench(machine);
    if (!RunStartFigures(bench, options.runs)) return 1;
    if (options.cpuSeconds > 0 && !bench.MeasureSteadyPolling(options.cpuSeconds)) {
        std::fprintf(stderr, "the steady-polling run failed (no window, or no process times)\n");
        return 1;
    }
    return 0;
}

#include "tests/win/link/StandInProcess.h"

namespace {

constexpr DWORD kWindowWaitMs = 20000;  // a cold Wine start can take seconds
constexpr DWORD kPollMs = 20;
constexpr DWORD kExitWaitMs = 10000;
constexpr int kStartAttempts = 2;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

HWND WindowOfProcess(const char* windowClass, DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, windowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

}  // namespace

bool StandInProcess::Start(const std::wstring& arguments, const char* windowClass) {
    // Under Wine a program started right after another one was ended now and then
    // fails to come up; one more try tells that apart from a program that cannot start.
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (StartOnce(arguments, windowClass)) return true;
    }
    return false;
}

bool StandInProcess::StartOnce(const std::wstring& arguments, const char* windowClass) {
    Terminate();
    const std::wstring program = ProgramFolder() + L"standin-sim.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    window_ = WaitForWindow(windowClass);
    return window_ != nullptr;
}

// The window counts once it is shown (its controls exist by then) and the program
// waits for input in its message loop.
HWND StandInProcess::WaitForWindow(const char* windowClass) const {
    const ULONGLONG deadline = GetTickCount64() + kWindowWaitMs;
    while (GetTickCount64() < deadline) {
        HWND window = WindowOfProcess(windowClass, processId_);
        if (window != nullptr && IsWindowVisible(window)) {
            WaitForInputIdle(process_, kWindowWaitMs);
            return window;
        }
        if (WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

void StandInProcess::Terminate() {
    if (process_ == nullptr) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, kExitWaitMs);
    CloseHandle(process_);
    process_ = nullptr;
    processId_ = 0;
    window_ = nullptr;
}

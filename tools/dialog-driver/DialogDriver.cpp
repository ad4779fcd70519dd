// Other programs started, and their windows and dialogs found and answered as a user would.

#include "tools/dialog-driver/DialogDriver.h"

namespace driver {
namespace {

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The system matches class and title itself, so one look stays cheap enough to poll
// every millisecond.
HWND FindVisibleWindow(const wchar_t* className, DWORD processId, const wchar_t* title) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, title));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((processId == 0 || owner == processId) && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Waits `pollMs`; false when the process (if one is given) ended meanwhile.
bool Pause(HANDLE process, DWORD pollMs) {
    if (!process) {
        Sleep(pollMs);
        return true;
    }
    return WaitForSingleObject(process, pollMs) == WAIT_TIMEOUT;
}

HWND PollForWindow(const wchar_t* className, DWORD processId, const wchar_t* title, DWORD timeoutMs,
                   HANDLE process, DWORD pollMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND found = FindVisibleWindow(className, processId, title);
        if (found || GetTickCount() - start >= timeoutMs) return found;
        if (!Pause(process, pollMs)) return nullptr;
    }
}

BOOL CALLBACK CollectText(HWND child, LPARAM parameter) {
    auto* contents = reinterpret_cast<DialogContents*>(parameter);
    const std::wstring text = WindowText(child);
    if (_wcsicmp(ClassName(child).c_str(), L"Static") != 0 || text.empty()) return TRUE;
    if (!contents->text.empty()) contents->text += L"\n";
    contents->text += text;
    return TRUE;
}

struct ChildSearch {
    const wchar_t* className;
    HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM parameter) {
    auto* search = reinterpret_cast<ChildSearch*>(parameter);
    if (_wcsicmp(ClassName(child).c_str(), search->className) != 0) return TRUE;
    search->found = child;
    return FALSE;
}

HWND FindChild(HWND parent, const wchar_t* className) {
    ChildSearch search{className};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

void EndProcess::operator()(HANDLE process) const {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

Process StartProgram(const std::wstring& program, const std::wstring& arguments,
                     const std::wstring& folder) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    return Process(info.hProcess);
}

bool CloseAndWait(HWND window, DWORD timeoutMs) {
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId)) return false;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (!process) return false;
    const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

HWND WaitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs,
                   const wchar_t* title) {
    return PollForWindow(className, processId, title, timeoutMs, nullptr, kPollMs);
}

HWND WaitForProcessWindow(HANDLE process, const wchar_t* className, DWORD timeoutMs,
                          const wchar_t* title, DWORD pollMs) {
    if (!process) return nullptr;  // an id of 0 would match any process's window
    return PollForWindow(className, GetProcessId(process), title, timeoutMs, process, pollMs);
}

DialogContents ReadDialog(HWND dialog) {
    DialogContents contents{dialog, WindowText(dialog), L""};
    EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&contents));
    return contents;
}

void TypeIntoEdit(HWND dialog, const std::wstring& text) {
    if (HWND edit = FindChild(dialog, L"Edit")) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

bool PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return false;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

void TuneSimulator(HWND simulator, const std::wstring& frequency) {
    SendMessageW(GetDlgItem(simulator, kFrequencyField), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(frequency.c_str()));
    SendMessageW(simulator, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(simulator, IDOK)));
}

std::wstring LabelText(HWND brenvale) {
    HWND label = GetDlgItem(brenvale, kFrequencyLabelId);
    return label ? WindowText(label) : L"";
}

}  // namespace driver

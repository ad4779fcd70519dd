#include "DialogDriver.h"

namespace driver {
namespace {

constexpr DWORD kPollMs = 50;

struct Search {
    DWORD processId;
    bool wantDialog;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    bool isDialog = ClassName(window) == L"#32770";
    if (isDialog != search->wantDialog) return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForTopLevel(DWORD processId, bool wantDialog, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        Search search{processId, wantDialog};
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

BOOL CALLBACK CollectChild(HWND child, LPARAM parameter) {
    auto* contents = reinterpret_cast<DialogContents*>(parameter);
    std::wstring className = ClassName(child);
    std::wstring text = WindowText(child);
    if (_wcsicmp(className.c_str(), L"Button") == 0) {
        contents->buttons.push_back({GetDlgCtrlID(child), text});
    } else if (_wcsicmp(className.c_str(), L"Static") == 0 && !text.empty()) {
        if (!contents->text.empty()) contents->text += L"\n";
        contents->text += text;
    } else if (_wcsicmp(className.c_str(), L"Edit") == 0) {
        contents->hasEdit = true;
    }
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

}  // namespace

std::wstring WindowText(HWND window) {
    // WM_GETTEXT rather than GetWindowText: the latter does not read another
    // process's controls.
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
    return WaitForTopLevel(processId, true, timeoutMs);
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
    return WaitForTopLevel(processId, false, timeoutMs);
}

DialogContents ReadDialog(HWND dialog) {
    DialogContents contents;
    contents.window = dialog;
    contents.title = WindowText(dialog);
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&contents));
    return contents;
}

void TypeIntoEdit(HWND dialog, const std::wstring& text) {
    HWND edit = FindChild(dialog, L"Edit");
    if (edit) SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return false;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

HWND FindChild(HWND parent, const wchar_t* className) {
    ChildSearch search{className};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitForExit(HANDLE process, DWORD timeoutMs, DWORD& exitCode) {
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
    exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    return true;
}

void Pause(DWORD milliseconds) { Sleep(milliseconds); }

}  // namespace driver

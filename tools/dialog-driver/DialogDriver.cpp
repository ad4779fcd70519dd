// Other programs' windows and dialogs found and answered as a user would.

#include "tools/dialog-driver/DialogDriver.h"

namespace driver {
namespace {

constexpr DWORD kPollMs = 50;

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

struct Search {
    const wchar_t* className;
    DWORD processId;
    const wchar_t* title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId != 0 && owner != search->processId) return TRUE;
    if (!IsWindowVisible(window) || ClassName(window) != search->className) return TRUE;
    if (search->title && WindowText(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
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

HWND WaitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs,
                   const wchar_t* title) {
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{className, processId, title};
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start >= timeoutMs) return search.found;
        Sleep(kPollMs);
    }
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

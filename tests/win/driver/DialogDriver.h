#pragma once
// Finds and answers the dialogs and windows of another process, as a user would:
// reads a dialog's title, texts and buttons, types into its edit field and presses
// its buttons. Used by the end-to-end tests and by the demo.
#include <windows.h>

#include <string>
#include <vector>

namespace driver {

struct Button {
    int id;
    std::wstring text;
};

struct DialogContents {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;  // the static texts, joined by line feeds
    std::vector<Button> buttons;
    bool hasEdit = false;
};

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// A visible top-level dialog (class #32770) of the process, or nullptr after the time-out.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs);
// A visible top-level window of the process that is not a dialog, or nullptr.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs);
DialogContents ReadDialog(HWND dialog);

// Types into the dialog's first edit field.
void TypeIntoEdit(HWND dialog, const std::wstring& text);
// Presses the button with the control id (IDOK, IDYES, ...); true when there was one.
bool PressButton(HWND dialog, int id);

// The first child window of the given class, or nullptr.
HWND FindChild(HWND parent, const wchar_t* className);

// True when the process has ended within the time-out; its exit code in `exitCode`.
bool WaitForExit(HANDLE process, DWORD timeoutMs, DWORD& exitCode);

// Lets time pass in small steps (the other process runs on meanwhile).
void Pause(DWORD milliseconds);

}  // namespace driver

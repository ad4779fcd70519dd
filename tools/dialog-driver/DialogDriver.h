#pragma once
// Finds and answers the windows and dialogs of other programs as a user would: reads
// a dialog's title and texts, types into its edit field, presses its buttons, tunes
// the stand-in simulator's radio and reads Brenvale's label. Used by the end-to-end
// tests and by brenvale-driver.exe, which plays the user in the demo.
#include <windows.h>

#include <string>

// The names by which the windows it drives are found, from their owners.
#include "platform/win32/Win32Helpers.h"  // WindowText, which reads other processes' too
#include "platform/win32/Win32MainWindow.h"
#include "tools/standin-sim/StandInControls.h"
#include "tools/teamspeak-standin/TeamSpeakStandIn.h"

namespace driver {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kSimulatorClass[] = L"UIPCMAIN";  // the stand-in's server window

struct DialogContents {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;  // the static texts, joined by line feeds
};

// A visible top-level window of the class, of the process unless `processId` is 0 and
// with the title unless `title` is null; nullptr once the time-out has passed.
HWND WaitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs,
                   const wchar_t* title = nullptr);

DialogContents ReadDialog(HWND dialog);
// Types into the window's first edit field.
void TypeIntoEdit(HWND dialog, const std::wstring& text);
// Presses the button with the control id (IDOK, IDNO, ...); false when there is none.
bool PressButton(HWND dialog, int id);

// Types a frequency into the stand-in simulator's radio and confirms it.
void TuneSimulator(HWND simulator, const std::wstring& frequency);
// The frequency Brenvale's window shows.
std::wstring LabelText(HWND brenvale);

}  // namespace driver

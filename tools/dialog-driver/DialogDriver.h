#pragma once
// Finds and answers the windows and dialogs of other programs as a user would: reads
// a dialog's title and texts, types into its edit field, presses its buttons, tunes
// the stand-in simulator's radio and reads Brenvale's label; starts and closes the
// programs it drives. Used by the end-to-end tests, the start benchmark and
// brenvale-driver.exe, which plays the user in the demo.
#include <windows.h>

#include <memory>
#include <string>

// The names by which the windows it drives are found, from their owners.
#include "platform/win32/Win32Helpers.h"  // WindowText, which reads other processes' too
#include "platform/win32/Win32MainWindow.h"
#include "tools/standin-sim/StandInControls.h"
#include "tools/teamspeak-standin/TeamSpeakStandIn.h"

namespace driver {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kSimulatorClass[] = L"UIPCMAIN";  // the stand-in's server window
constexpr DWORD kPollMs = 50;

struct DialogContents {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;  // the static texts, joined by line feeds
};

// A started program, ended at once when it goes if it still runs.
struct EndProcess {
    void operator()(HANDLE process) const;
};
using Process = std::unique_ptr<void, EndProcess>;

// Starts the program with the arguments, in `folder` unless that is empty; null on failure.
Process StartProgram(const std::wstring& program, const std::wstring& arguments = L"",
                     const std::wstring& folder = L"");
// Closes the window as a user would and waits for its process to end; false when the
// window is null or its process still runs after the time-out.
bool CloseAndWait(HWND window, DWORD timeoutMs);

// A visible top-level window of the class, of the process unless `processId` is 0 and
// with the title unless `title` is null; nullptr once the time-out has passed.
HWND WaitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs,
                   const wchar_t* title = nullptr);
// The same for the window of a process started here, looking every `pollMs`; nullptr
// as soon as the process has ended.
HWND WaitForProcessWindow(HANDLE process, const wchar_t* className, DWORD timeoutMs,
                          const wchar_t* title = nullptr, DWORD pollMs = kPollMs);

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

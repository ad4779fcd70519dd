// The process entry: builds the Windows services, starts the program and runs its
// event loop until the main window is closed.

#include <windows.h>

#include <cstdlib>
#include <exception>

#include "app/General.h"
#include "platform/Platform.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/UnhandledFailure.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32IpcTransport.h"
#include "platform/win32/Win32MainWindow.h"
#include "platform/win32/Win32ProgramStarter.h"
#include "platform/win32/Win32SettingsStore.h"

// The runtime's default terminate handler names the uncaught exception's type, which
// links the whole C++ name demangler (about a seventh of this program) to write to a
// standard error stream a windowed program does not have. Every exception is caught
// in wWinMain; terminate comes only from a broken promise (an exception leaving a
// noexcept function or a destructor during unwinding), and then the process ends
// plainly. Defined here, in the program alone, so the library's version is not linked.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

namespace {

// Every DLL loaded after the start, by this program (comctl32, shell32, ole32) or by
// those libraries on its behalf (shell32's delayed loads), comes from the system folder
// only, never from the program's folder or the current one, where a planted DLL of the
// same name would otherwise be found first. The program loads no DLL of its own. The
// call exists from Windows 8 on and on Windows 7 with update KB2533623; it is looked up
// rather than imported, so the program still starts on a Windows 7 without it.
void LimitDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const FARPROC address =
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (address == nullptr) return;
    // Through the generic function type, which the compiler accepts for any function.
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(address));
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

int RunProgram(Platform& platform) {
    General general(platform);
    if (!general.StartUp()) return 0;  // the user chose to end during the load
    const int exitCode = RunMessageLoop();
    if (std::exception_ptr failure = TakeUnhandledFailure()) std::rethrow_exception(failure);
    return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LimitDllSearchToSystemFolder();  // first, before anything can load a DLL
    // A drive that is not ready comes back to the program as a failure of the call,
    // not as a system dialog in the middle of a check.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    Win32MainWindowFactory windows;
    Win32Dialogs dialogs;
    Win32SettingsStore settings;
    Win32FileSystem files;
    Win32ProgramStarter programs;
    // The link's handshake pause at start is idle time: the common controls library is
    // loaded in it, and the window and the name box come up that much sooner after it.
    // Left to the controls' first creation, the load showed in the start benchmark (32-bit,
    // Wine 8, three rounds of 31 starts, medians): the name box at 196-210 ms instead of
    // 167-186 (1.16 of the minimal program's start + the pause, against a goal of 1.05),
    // the window at 206-219 ms instead of 173-196.
    Win32IpcTransport ipc(LoadCommonControls);
    Platform platform{windows, dialogs, settings, files, programs, ipc};
    try {
        return RunProgram(platform);
    } catch (...) {
        ShowFailureReport(std::current_exception());
        return 1;
    }
}

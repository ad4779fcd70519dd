// Starting TeamSpeak: a program started and left running on its own.

#include "platform/win32/Win32ProgramStarter.h"

#include <windows.h>

#include <vector>

#include "platform/win32/SystemMessage.h"

void Win32ProgramStarter::StartProgram(const std::wstring& applicationPath,
                                       const std::wstring& commandLine, int windowStyle) {
    // The program is named separately from its command line, so a path with blanks in
    // it is never split at a blank; CreateProcessW may write into the command line.
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(applicationPath.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        throw LastErrorFailure();
    }
    // Nobody waits for the program: it runs on after this one ends.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

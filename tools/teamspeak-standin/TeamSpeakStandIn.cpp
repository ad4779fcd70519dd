// A stand-in for the TeamSpeak 2 client, for trying Brenvale and for its tests.
// It records the command line it was started with in its logs (one UTF-8 line per start,
// and beside it the bytes the real client, an 8-bit program, would read), shows a small
// window with that line, and stays running until it is closed, as the real client would
// (at most ten minutes, so a forgotten one does not linger).
#include "tools/teamspeak-standin/TeamSpeakStandIn.h"

#include <windows.h>

#include <string>

#include "platform/win32/Win32Helpers.h"

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 600000;

// An exclusive open for appending, retried briefly while another start or a reader holds
// the log; INVALID_HANDLE_VALUE when it never came.
HANDLE OpenLog(const wchar_t* name) {
    const std::wstring path = ProgramFolder() + L"\\" + name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        Sleep(20);
    }
    return INVALID_HANDLE_VALUE;
}

// The wide line and the 8-bit one, each a line of its log. Both logs are open before
// either is written, so starts close together never interleave their lines and both logs
// list the starts in the same order.
void RecordCommandLine(const std::wstring& commandLine) {
    const HANDLE logs[] = {OpenLog(kTeamSpeakLog), OpenLog(kTeamSpeakAnsiLog)};
    const std::string lines[] = {Utf8(commandLine) + "\r\n",
                                 GetCommandLineA() + std::string("\r\n")};
    for (int log = 0; log < 2; ++log) {
        if (logs[log] == INVALID_HANDLE_VALUE) continue;
        DWORD written = 0;
        WriteFile(logs[log], lines[log].data(), static_cast<DWORD>(lines[log].size()), &written,
                  nullptr);
        CloseHandle(logs[log]);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kLifetimeTimer) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    std::wstring commandLine = GetCommandLineW();
    RecordCommandLine(commandLine);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kTeamSpeakStandInClass;
    RegisterClassW(&windowClass);

    std::wstring title = L"TeamSpeak stand-in - " + commandLine;
    HWND window =
        CreateWindowW(kTeamSpeakStandInClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 480, 80, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, showCommand);
    SetTimer(window, kLifetimeTimer, kLifetimeMs, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

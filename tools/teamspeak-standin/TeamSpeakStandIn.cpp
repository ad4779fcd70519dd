// A stand-in for the TeamSpeak 2 client, for trying Brenvale and for its tests.
// It records the command line it was started with, one UTF-8 line per start, in
// "teamspeak-log.txt" beside itself, shows a small window with that line, and stays
// running until it is closed, as the real client would (at most ten minutes, so a
// forgotten one does not linger).
#include "tools/teamspeak-standin/TeamSpeakStandIn.h"

#include <windows.h>

#include <string>

#include "platform/win32/Win32Helpers.h"

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 600000;

// Appends under an exclusive open, retried briefly, so starts close together
// never interleave their lines.
void RecordCommandLine(const std::wstring& commandLine) {
    std::wstring logPath = ProgramFolder() + L"\\teamspeak-log.txt";
    std::string line = Utf8(commandLine) + "\r\n";
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(20);
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

// A small program for the program-start tests. It waits until the test lets it go
// (the event named in BRENVALE_CHILD_GO), then writes how it was started to the file
// named in BRENVALE_CHILD_REPORT: its command line, the start-up flags and the window
// style it was given, as UTF-16 lines.

#include <windows.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    return length > 0 && length < MAX_PATH * 2 ? std::wstring(value, length) : std::wstring();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring reportPath = Environment(L"BRENVALE_CHILD_REPORT");
    const std::wstring goEvent = Environment(L"BRENVALE_CHILD_GO");
    if (reportPath.empty()) return 2;
    if (!goEvent.empty()) {
        HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, goEvent.c_str());
        if (go) {
            WaitForSingleObject(go, 20000);
            CloseHandle(go);
        }
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::wstring report = std::wstring(GetCommandLineW()) + L"\n" +
                                std::to_wstring(startup.dwFlags) + L"\n" +
                                std::to_wstring(startup.wShowWindow) + L"\n";
    // Written under another name first, so the test never reads half a report.
    const std::wstring partial = reportPath + L".partial";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(file, report.data(), static_cast<DWORD>(report.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
    return MoveFileExW(partial.c_str(), reportPath.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}

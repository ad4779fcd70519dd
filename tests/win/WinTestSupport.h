#pragma once
// What the Windows tests share: where the built programs are, the system's own error
// texts, bounded waits, scratch folders and files, caught failures, and programs
// started beside the test.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/PlatformFailure.h"
#include "tools/dialog-driver/DialogDriver.h"

namespace wintest {

// The folder of the test program, where every program of the build lands.
inline std::wstring BuildFolder() {
    wchar_t path[MAX_PATH] = L"";
    const std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of(L'\\'));
}

// The system's text for an error code, asked of the system here, without the line break.
inline std::wstring SystemText(DWORD code) {
    wchar_t text[512] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, 512, nullptr);
    const std::wstring result = text;
    return result.substr(0, result.find_last_not_of(L"\r\n") + 1);
}

// Polls until `done` holds; false when the time-out passed first.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; !done(); Sleep(50)) {
        if (GetTickCount64() >= deadline) return false;
    }
    return true;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// The file's bytes; empty when there is no such file.
inline std::string Contents(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A fresh folder under the temporary folder, removed with its contents at the end.
struct ScratchFolder {
    inline static int count = 0;
    const std::wstring path = (std::filesystem::temp_directory_path() /
                               (L"brenvale-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(++count)))
                                  .wstring();
    ScratchFolder() { std::filesystem::create_directory(path); }
    ~ScratchFolder() {
        std::error_code ignored;  // what cannot go now is the temporary folder's to keep
        std::filesystem::remove_all(path, ignored);
    }
    std::wstring operator/(const std::wstring& name) const { return path + L"\\" + name; }
};

// The failure a call raises, or one with code 0 when it raised none.
template <typename Call>
PlatformFailure FailureOf(Call call) {
    try {
        call();
    } catch (const PlatformFailure& failure) {
        return failure;
    }
    return PlatformFailure(0, L"no failure");
}

// A program started beside the test, ended at once when the object goes.
struct ChildProcess {
    PROCESS_INFORMATION info{};

    ~ChildProcess() { End(); }
    bool Start(const std::wstring& program, const std::wstring& arguments) {
        End();
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &info);
    }
    // Starts standin-sim.exe and waits until its server window takes messages. Wine
    // now and then fails to bring up a program started right after another one ended,
    // so a second try tells that apart from a stand-in that cannot start.
    bool StartSimulator(const std::wstring& arguments, const wchar_t* windowClass = L"UIPCMAIN") {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (Start(BuildFolder() + L"\\standin-sim.exe", arguments) &&
                driver::WaitForWindow(windowClass, info.dwProcessId, 20000)) {
                return WaitForInputIdle(info.hProcess, 20000) == 0;
            }
        }
        return false;
    }
    void End() {
        if (!info.hProcess) return;
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        info = {};
    }
};

}  // namespace wintest

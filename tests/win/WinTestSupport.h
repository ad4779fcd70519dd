#pragma once
// What the Windows tests share. They run in the build folder, beside the programs they start.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tools/dialog-driver/DialogDriver.h"
#include "tools/dialog-driver/PilotMachine.h"

namespace wintest {

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

// A fresh folder under the temporary folder, removed with what can go at the end.
struct ScratchFolder {
    inline static int count = 0;
    const driver::MadeFolder made{
        std::filesystem::temp_directory_path() /
        ("brenvale-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count))};
    const std::filesystem::path& path = made.Path();
    std::wstring operator/(const std::wstring& name) const { return (path / name).wstring(); }
};

// A program started beside the test, ended at once when it goes.
using Process = driver::Process;

// Starts a program and waits until its window of the class takes messages. Wine now and
// then fails to bring up a program started right after another one ended, so a program
// that shows no window gets a second try.
inline Process Start(const std::wstring& program, const std::wstring& arguments,
                     const wchar_t* windowClass) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        Process process = driver::StartProgram(program, arguments);
        if (!process) break;
        if (driver::WaitForProcessWindow(process.get(), windowClass, 20000) &&
            WaitForInputIdle(process.get(), 20000) == 0) {
            return process;
        }
    }
    return nullptr;
}

}  // namespace wintest

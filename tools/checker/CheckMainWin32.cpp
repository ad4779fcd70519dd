// brenvale-check.exe: reads the table with the program's own file operations and code
// page conversion. Output goes to a console as 16-bit text, so every character of the
// table shows as it is; redirected to a file or pipe it is written as UTF-8, with
// Windows line ends.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/PlatformFailure.h"
#include "platform/win32/Win32FileSystem.h"
#include "tools/checker/CheckerRun.h"

namespace {

std::wstring WithWindowsLineEnds(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (wchar_t c : text) {
        if (c == L'\n') result.push_back(L'\r');
        result.push_back(c);
    }
    return result;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &bytes[0], length, nullptr, nullptr);
    }
    return bytes;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

void Write(DWORD stream, const std::wstring& text) {
    const HANDLE handle = GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    const std::wstring lines = WithWindowsLineEnds(text);
    DWORD written = 0;
    if (IsConsole(handle)) {
        WriteConsoleW(handle, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
    } else {
        const std::string bytes = Utf8(lines);
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

class Win32System : public checker::CheckerSystem {
  public:
    std::unique_ptr<FileReader> OpenTableFile(const std::wstring& path) override {
        return files_.OpenForReading(path);
    }
    std::wstring FromSystemCodePage(const std::string& bytes) override {
        return files_.FromSystemCodePage(bytes);
    }
    std::wstring FromUtf8(const std::string& bytes) override { return files_.FromUtf8(bytes); }
    // Beside the program, where Brenvale itself looks for its table.
    std::wstring DefaultTableFile() override {
        try {
            return files_.ProgramFolder() + L"\\brenvale.txt";
        } catch (const PlatformFailure&) {
            return L"brenvale.txt";
        }
    }
    void WriteOut(const std::wstring& text) override { Write(STD_OUTPUT_HANDLE, text); }
    void WriteError(const std::wstring& text) override { Write(STD_ERROR_HANDLE, text); }

  private:
    Win32FileSystem files_;
};

// Started by a double-click or with a table dropped onto it, the checker has a console
// of its own that closes when it ends; keep the report readable until the pilot has
// seen it.
void WaitIfConsoleIsOurOwn() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD processes[2] = {};
    if (!IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)) || !IsConsole(input)) return;
    if (GetConsoleProcessList(processes, 2) != 1) return;
    Write(STD_OUTPUT_HANDLE, L"\nPress any key to close this window.");
    SetConsoleMode(input, 0);  // a single key, without waiting for Enter
    FlushConsoleInputBuffer(input);
    wchar_t key[2];
    DWORD read = 0;
    ReadConsoleW(input, key, 1, &read, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    Win32System system;
    const int status = checker::RunChecker(args, system);
    WaitIfConsoleIsOurOwn();
    return status;
}

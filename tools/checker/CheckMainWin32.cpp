// brenvale-check.exe: reads the table with the program's own file operations and code
// page conversion. Output goes to a console as 16-bit text, so every character of the
// table shows as it is; redirected to a file or pipe it is written as UTF-8, with
// Windows line ends.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ChannelTable.h"
#include "app/SettingsNames.h"
#include "platform/PlatformFailure.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Helpers.h"
#include "platform/win32/Win32SettingsStore.h"
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

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

// Older consoles refuse long writes, and any write may take only part: the text goes out
// in pieces, each written to its end.
constexpr size_t kPiece = 8192;

void WriteToConsole(HANDLE console, const std::wstring& text) {
    for (size_t at = 0; at < text.size();) {
        size_t piece = std::min(kPiece, text.size() - at);
        if (piece < text.size() - at && IS_HIGH_SURROGATE(text[at + piece - 1])) --piece;
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + at, static_cast<DWORD>(piece), &written,
                           nullptr) ||
            written == 0) {
            throw LastErrorFailure();
        }
        at += written;
    }
}

void WriteToFile(HANDLE file, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const size_t piece = std::min(kPiece, bytes.size() - at);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + at, static_cast<DWORD>(piece), &written, nullptr) ||
            written == 0) {
            throw LastErrorFailure();
        }
        at += written;
    }
}

// Throws PlatformFailure when the text cannot be written whole.
void Write(DWORD stream, const std::wstring& text) {
    const HANDLE handle = GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) throw FailureFor(ERROR_INVALID_HANDLE);
    const std::wstring lines = WithWindowsLineEnds(text);
    if (IsConsole(handle)) {
        WriteToConsole(handle, lines);
    } else {
        WriteToFile(handle, Utf8(lines));
    }
}

// For what is said on the way out: when even that fails, the exit status tells.
void TryWrite(DWORD stream, const std::wstring& text) {
    try {
        Write(stream, text);
    } catch (const PlatformFailure&) {
    }
}

class Win32System : public checker::CheckerSystem {
  public:
    std::unique_ptr<FileReader> OpenTableFile(const std::wstring& path) override {
        return files_.OpenForReading(path);
    }
    TextCodec& Decoder() override { return files_; }
    std::wstring CodePageName() override {
        return L"the system's code page (" + std::to_wstring(GetACP()) + L")";
    }
    // Beside the program, where Brenvale itself looks for its table.
    std::wstring DefaultTableFile() override {
        try {
            return files_.ProgramFolder() + kChannelTableFile;
        } catch (const PlatformFailure&) {
            return kChannelTableName;
        }
    }
    // Where Brenvale keeps the folder it found TeamSpeak in. A setting that cannot be read
    // leaves the default, which the report then names.
    std::wstring SavedTeamSpeakDir() override {
        try {
            return Win32SettingsStore().GetSetting(settings::kApplication, settings::kSection,
                                                   settings::kTeamSpeakPathKey);
        } catch (const PlatformFailure&) {
            return std::wstring();
        }
    }
    void WriteOut(const std::wstring& text) override { Write(STD_OUTPUT_HANDLE, text); }
    void WriteError(const std::wstring& text) override { TryWrite(STD_ERROR_HANDLE, text); }

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
    TryWrite(STD_OUTPUT_HANDLE, L"\nPress any key to close this window.");
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

// The program's file operations and text conversions over the Windows calls.

#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <climits>
#include <vector>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32Helpers.h"

namespace {

// An open file read in pieces; the handle is closed when the reader ends, also on failure.
class Win32FileReader : public FileReader {
  public:
    explicit Win32FileReader(HANDLE handle) : handle_(handle) {}
    Win32FileReader(const Win32FileReader&) = delete;
    Win32FileReader& operator=(const Win32FileReader&) = delete;
    ~Win32FileReader() override { CloseHandle(handle_); }
    size_t Read(char* buffer, size_t capacity) override {
        const DWORD asked = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
        DWORD read = 0;
        if (!ReadFile(handle_, buffer, asked, &read, nullptr)) throw LastErrorFailure();
        return read;
    }

  private:
    HANDLE handle_;
};

// Text in a code page to 16-bit text; `flags` 0 or MB_ERR_INVALID_CHARS.
std::wstring FromCodePage(UINT codePage, DWORD flags, const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    if (bytes.size() > static_cast<size_t>(INT_MAX)) throw FailureFor(ERROR_ARITHMETIC_OVERFLOW);
    const int byteCount = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), byteCount, nullptr, 0);
    if (length == 0) throw LastErrorFailure();
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes.data(), byteCount, &text[0], length) == 0) {
        throw LastErrorFailure();
    }
    return text;
}

// The errors that mean "nothing is there", as opposed to a path that cannot be checked
// (a drive that is not ready, a refused network share).
bool MeansNotFound(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::wstring Win32FileSystem::ProgramFolder() {
    return ::ProgramFolder();
}

std::unique_ptr<FileReader> Win32FileSystem::OpenForReading(const std::wstring& path) {
    const HANDLE file = CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw LastErrorFailure();
    return std::make_unique<Win32FileReader>(file);
}

bool Win32FileSystem::FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (MeansNotFound(error)) return false;
        throw FailureFor(error);
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void Win32FileSystem::CopyFileReplacing(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) throw LastErrorFailure();
}

std::wstring Win32FileSystem::FromSystemCodePage(const std::string& bytes) {
    return FromCodePage(CP_ACP, 0, bytes);
}

std::wstring Win32FileSystem::FromUtf8(const std::string& bytes) {
    return FromCodePage(CP_UTF8, MB_ERR_INVALID_CHARS, bytes);
}

std::wstring Win32FileSystem::FromUtf8Replacing(const std::string& bytes) {
    return FromCodePage(CP_UTF8, 0, bytes);
}

bool Win32FileSystem::ToSystemCodePage(const std::wstring& text, std::string& bytes) {
    bytes.clear();
    if (text.empty()) return true;
    if (text.size() > static_cast<size_t>(INT_MAX)) throw FailureFor(ERROR_ARITHMETIC_OVERFLOW);
    const int count = static_cast<int>(text.size());
    // A UTF-8 code page carries every character, and refuses the flag and the report.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultReport = utf8 ? nullptr : &usedDefault;
    const int length =
        WideCharToMultiByte(CP_ACP, flags, text.data(), count, nullptr, 0, nullptr, nullptr);
    if (length == 0) throw LastErrorFailure();
    bytes.resize(static_cast<size_t>(length));
    if (WideCharToMultiByte(CP_ACP, flags, text.data(), count, &bytes[0], length, nullptr,
                            usedDefaultReport) == 0) {
        throw LastErrorFailure();
    }
    // The way back gives the same text only when each character had bytes of its own.
    return !usedDefault && FromCodePage(CP_ACP, 0, bytes) == text;
}

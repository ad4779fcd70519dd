#include "platform/win32/Win32FileSystem.h"

#include <climits>
#include <vector>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/WindowsApi.h"

namespace {

std::wstring ProgramFilePath() {
    // Paths may be longer than MAX_PATH; grow until the name fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) throw LastErrorFailure();
        if (length < size) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// Closes a file handle when the reader is done with it, also on failure.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    HANDLE Get() const { return handle_; }

  private:
    HANDLE handle_;
};

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
    const std::wstring path = ProgramFilePath();
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

std::string Win32FileSystem::ReadWholeFile(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) throw LastErrorFailure();
    std::string contents;
    char chunk[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr)) throw LastErrorFailure();
        if (read == 0) return contents;
        contents.append(chunk, read);
    }
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
    if (bytes.empty()) return std::wstring();
    if (bytes.size() > static_cast<size_t>(INT_MAX)) throw FailureFor(ERROR_ARITHMETIC_OVERFLOW);
    const int byteCount = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), byteCount, nullptr, 0);
    if (length == 0) throw LastErrorFailure();
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), byteCount, &text[0], length) == 0) {
        throw LastErrorFailure();
    }
    return text;
}

#pragma once
// The file operations the program needs. Failures throw PlatformFailure.

#include <string>

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The folder that holds the program file, without a trailing backslash.
    virtual std::wstring ProgramFolder() = 0;
    // The whole file's bytes.
    virtual std::string ReadWholeFile(const std::wstring& path) = 0;
    // True when a file (not a folder) exists under exactly this path.
    virtual bool FileExists(const std::wstring& path) = 0;
    // Copies a file, replacing an existing destination.
    virtual void CopyFileReplacing(const std::wstring& from, const std::wstring& to) = 0;
    // 8-bit text in the system's code page to 16-bit text.
    virtual std::wstring FromSystemCodePage(const std::string& bytes) = 0;
};

#pragma once
// The file operations the program needs. Failures throw PlatformFailure.

#include <cstddef>
#include <memory>
#include <string>

// A file open for reading from its start, closed when the object ends.
class FileReader {
  public:
    virtual ~FileReader() = default;
    // Reads up to `capacity` bytes into `buffer`; 0 only at the end of the file.
    virtual size_t Read(char* buffer, size_t capacity) = 0;
};

// 8-bit text to the program's 16-bit text, and back to the system's code page.
class TextCodec {
  public:
    virtual ~TextCodec() = default;
    // Text in the system's code page.
    virtual std::wstring FromSystemCodePage(const std::string& bytes) = 0;
    // UTF-8 text; bytes that are not valid UTF-8 throw.
    virtual std::wstring FromUtf8(const std::string& bytes) = 0;
    // UTF-8 text as the system decodes it without strict checking: each sequence that is
    // not UTF-8 becomes U+FFFD.
    virtual std::wstring FromUtf8Replacing(const std::string& bytes) = 0;
    // Text in the system's code page, exactly as 8-bit programs read it. False when a
    // character has no bytes of its own there: the system would put a look-alike (a
    // fullwidth quote becomes '"') or a question mark in its place.
    virtual bool ToSystemCodePage(const std::wstring& text, std::string& bytes) = 0;
};

class FileSystem : public TextCodec {
  public:
    // The folder that holds the program file, without a trailing backslash.
    virtual std::wstring ProgramFolder() = 0;
    // Opens a file for reading while others may read, write or delete it too, as
    // editors that keep a file open expect.
    virtual std::unique_ptr<FileReader> OpenForReading(const std::wstring& path) = 0;
    // True when a file (not a folder) exists under exactly this path.
    virtual bool FileExists(const std::wstring& path) = 0;
    // Copies a file, replacing an existing destination.
    virtual void CopyFileReplacing(const std::wstring& from, const std::wstring& to) = 0;
};

// Reading a whole file, for the tests and tools; apart, so the program does not carry it.

#include "platform/win32/Win32FileSystem.h"

std::string Win32FileSystem::ReadWholeFile(const std::wstring& path) {
    const std::unique_ptr<FileReader> file = OpenForReading(path);
    std::string contents;
    char chunk[64 * 1024];
    while (const size_t read = file->Read(chunk, sizeof chunk)) contents.append(chunk, read);
    return contents;
}

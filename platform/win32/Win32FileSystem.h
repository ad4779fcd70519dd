#pragma once
// The program's file operations over the wide-character Windows file calls, so any
// path works whatever the system's code page.

#include "platform/FileSystem.h"

class Win32FileSystem : public FileSystem {
  public:
    std::wstring ProgramFolder() override;
    std::unique_ptr<FileReader> OpenForReading(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    void CopyFileReplacing(const std::wstring& from, const std::wstring& to) override;
    std::wstring FromSystemCodePage(const std::string& bytes) override;
    std::wstring FromUtf8(const std::string& bytes) override;
    std::wstring FromUtf8Replacing(const std::string& bytes) override;
    bool ToSystemCodePage(const std::wstring& text, std::string& bytes) override;
};

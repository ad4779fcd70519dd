#pragma once
// Helpers shared by the Windows platform tests: scratch folders, files and a bounded
// message loop.

#include <windows.h>

#include <functional>
#include <string>

namespace winplatformtest {

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);

// Dispatches this thread's messages until `done` says so or `timeoutMs` has passed;
// returns whether `done` was reached. A WM_QUIT found on the way is kept in `quitCode`
// (when given) and ends the loop.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs, int* quitCode = nullptr);

// Removes a WM_QUIT left in this thread's queue; returns whether there was one.
bool TakeQuitMessage(int* quitCode = nullptr);

}  // namespace winplatformtest

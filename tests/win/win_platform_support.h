#pragma once
// Helpers shared by the Windows platform tests: scratch folders, files, window texts,
// caught failures and a bounded message loop.

#include <windows.h>

#include <functional>
#include <string>

#include "platform/PlatformFailure.h"

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
bool Exists(const std::wstring& path);
std::wstring TextOf(HWND window);

// The failure a call raises, or a failure with code 0 when it raised none.
template <typename Call>
PlatformFailure FailureOf(Call call) {
    try {
        call();
    } catch (const PlatformFailure& failure) {
        return failure;
    }
    return PlatformFailure(0, L"no failure");
}

// Dispatches this thread's messages until `done` says so or `timeoutMs` has passed;
// returns whether `done` was reached. A WM_QUIT found on the way ends the loop.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Removes a WM_QUIT left in this thread's queue; returns whether there was one.
bool TakeQuitMessage();

}  // namespace winplatformtest

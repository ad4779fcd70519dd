#pragma once
// Modal dialogs of the load sequence. All block until the user answers.

#include <cstdint>
#include <string>

constexpr unsigned kMbOk = 0, kMbYesNo = 4;
constexpr unsigned kMbIconQuestion = 32, kMbIconExclamation = 48, kMbIconInformation = 64;
constexpr int kIdOk = 1, kIdYes = 6, kIdNo = 7;

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A message box with the system's flag values; returns the button chosen (kIdYes...).
    virtual int ShowMessageBox(const std::wstring& text, const std::wstring& title,
                               unsigned flags) = 0;
    // A prompt with an empty edit field, OK and Cancel; Cancel gives empty text.
    virtual std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) = 0;
    // The shell's folder picker, owned by `owner`; the chosen folder, or empty text
    // on cancel or when the path cannot be read.
    virtual std::wstring PickFolder(uintptr_t owner, const std::wstring& instruction) = 0;
};

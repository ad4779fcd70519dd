#pragma once
// The program's modal dialogs: the system's message box, a small input box of our own
// and the shell's folder picker.

#include "platform/Dialogs.h"

class Win32Dialogs : public Dialogs {
  public:
    int ShowMessageBox(const std::wstring& text, const std::wstring& title,
                       unsigned flags) override;
    std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) override;
    std::wstring PickFolder(uintptr_t owner, const std::wstring& instruction) override;
};

// Control identifiers of the input box, for whoever drives it from outside.
constexpr int kInputBoxPromptId = 1001;
constexpr int kInputBoxEditId = 1002;

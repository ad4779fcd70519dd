#pragma once
// Starts a program and leaves it running on its own.

#include "platform/ProgramStarter.h"

class Win32ProgramStarter : public ProgramStarter {
  public:
    void StartProgram(const std::wstring& applicationPath, const std::wstring& commandLine,
                      int windowStyle) override;
};

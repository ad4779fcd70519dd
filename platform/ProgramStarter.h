#pragma once
// Starting another program without waiting for it.

#include <string>

constexpr int kShowMinimized = 2;  // minimised and activated

class ProgramStarter {
  public:
    virtual ~ProgramStarter() = default;
    // Starts `applicationPath` with `commandLine` (which repeats the path as its first
    // word, as programs expect) and the given window style. Throws PlatformFailure.
    virtual void StartProgram(const std::wstring& applicationPath, const std::wstring& commandLine,
                              int windowStyle) = 0;
};

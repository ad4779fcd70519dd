#pragma once
// Runs the real stand-in simulator beside the test program, for as long as a test needs.

#include <windows.h>

#include <string>

class StandInProcess {
  public:
    StandInProcess() = default;
    ~StandInProcess() { Terminate(); }
    StandInProcess(const StandInProcess&) = delete;
    StandInProcess& operator=(const StandInProcess&) = delete;

    // Starts standin-sim.exe with the arguments and waits (bounded) for its server
    // window of the class. False when it did not start or showed no window in time.
    bool Start(const std::wstring& arguments, const char* windowClass = "UIPCMAIN");
    // Ends the process at once and waits until it and its window are gone.
    void Terminate();

  private:
    bool StartOnce(const std::wstring& arguments, const char* windowClass);
    HWND WaitForWindow(const char* windowClass) const;

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

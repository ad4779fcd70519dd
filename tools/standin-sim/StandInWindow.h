#pragma once
// The stand-in simulator's one window: owns the server window class the link looks
// for, answers the request message, and lets the user tune COM1.

#include <windows.h>

#include <cstdint>

#include "platform/win32/Win32Helpers.h"
#include "tools/simserver/SimServerCore.h"
#include "tools/standin-sim/Com1Radio.h"
#include "tools/standin-sim/StandInControls.h"
#include "tools/standin-sim/StandInOptions.h"

class StandInWindow {
  public:
    explicit StandInWindow(const StandInOptions& options);
    ~StandInWindow();
    StandInWindow(const StandInWindow&) = delete;
    StandInWindow& operator=(const StandInWindow&) = delete;

    // Registers the class, creates and shows the window; false when the system refused.
    bool Create(HINSTANCE instance);
    // Runs the message loop until the window is closed; returns the exit code.
    int Run();

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateFonts();
    void CreateControls();
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id,
                    RECT dialogUnits, DWORD exStyle = 0);
    SIZE DialogUnitsToPixels(int x, int y) const;

    LRESULT AnswerRequest(WPARAM wParam);
    [[noreturn]] void HangUntilExit() const;
    void OnCommand(int id);
    void OnTimer(UINT_PTR timer);
    void SetTypedFrequency();
    void ApplyFrequency();
    void RunSchedule();
    void RefreshStatus();
    std::wstring InfoText() const;

    StandInOptions options_;
    SimServerCore core_;
    Com1Radio radio_;
    HWND window_ = nullptr;
    UINT requestMessage_ = 0;
    UniqueFont dialogFont_;
    UniqueFont displayFont_;
    SIZE baseUnits_{};
    DWORD startTick_ = 0;
    size_t nextScheduled_ = 0;
    uint32_t exchangesAnswered_ = 0;
    uint32_t exchangesRejected_ = 0;
    uint32_t shownExchanges_ = UINT32_MAX;
};

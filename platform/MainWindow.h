#pragma once
// The program's one top-level window as the application sees it: a caption, a
// centred label of large text, a timer and a close request.

#include <cstdint>
#include <memory>
#include <string>

// What the window reports back to the application, on the user-interface thread.
class MainWindowEvents {
  public:
    virtual ~MainWindowEvents() = default;
    virtual void OnTimerTick() = 0;     // never re-entered; missed ticks are not made up
    virtual void OnCloseRequest() = 0;  // the user closed the window; it is destroyed after
};

class MainWindowView {
  public:
    virtual ~MainWindowView() = default;
    virtual std::wstring Caption() const = 0;
    virtual void SetCaption(const std::wstring& caption) = 0;
    // Shows new text in the label and repaints it at once.
    virtual void ShowLabelText(const std::wstring& text) = 0;
    virtual void EnableTimer(uint32_t intervalMs) = 0;  // ticks from now on
    virtual void Show() = 0;                            // visible and active, modeless, no owner
    virtual uintptr_t NativeHandle() const = 0;
};

class MainWindowFactory {
  public:
    virtual ~MainWindowFactory() = default;
    // Creates the window hidden; it lives until the process ends.
    virtual std::unique_ptr<MainWindowView> CreateMainWindow(MainWindowEvents& events) = 0;
};

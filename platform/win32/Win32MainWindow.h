#pragma once
// The main window on Windows: a small fixed-size frame with a caption, the program's
// icon, one centred line of large text and the poll timer. Sizes are designed in
// twips and turned into pixels at the window's own DPI.

#include "platform/MainWindow.h"

class Win32MainWindowFactory : public MainWindowFactory {
  public:
    std::unique_ptr<MainWindowView> CreateMainWindow(MainWindowEvents& events) override;
};

// Loads the common controls library (version 6, as the program's manifest asks), which the
// window's label and the input box use: most of the time their first creation takes.
// Loading it ahead is for speed only; a failure shows again where a control is created.
void LoadCommonControls();

// The window's class and the frequency label's control id, for whoever finds and
// inspects the window from outside (the tests, the demo's driver, the benchmarks).
constexpr wchar_t kMainWindowClass[] = L"BrenvaleMainWindow";
constexpr int kFrequencyLabelId = 100;

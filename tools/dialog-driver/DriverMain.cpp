// brenvale-driver.exe: plays the user's part for the demo.
//   name TEXT        answers the session-name question of a starting Brenvale
//   tune FREQUENCY   types a frequency into the stand-in simulator's radio
//   simulator        waits until the stand-in simulator's window is up and moves it
//                    aside, clear of Brenvale's window
//   label            prints the frequency Brenvale shows
//   caption          prints Brenvale's caption
//   rect             prints Brenvale's window on the screen as WIDTHxHEIGHT+X+Y
//   close            closes Brenvale and waits for it to end
// Exit status 0 on success, 1 when the window or dialog did not appear in time.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/dialog-driver/DialogDriver.h"

namespace {

constexpr DWORD kWaitMs = 20000;

HWND Await(const wchar_t* className, const char* what, const wchar_t* title = nullptr) {
    HWND window = driver::WaitForWindow(className, 0, kWaitMs, title);
    if (!window) std::fprintf(stderr, "brenvale-driver: %s did not appear\n", what);
    return window;
}

int Run(const std::wstring& command, const std::wstring& argument) {
    if (command == L"name") {
        HWND box = Await(driver::kDialogClass, "the name question", L"Brenvale");
        if (!box) return 1;
        driver::TypeIntoEdit(box, argument);
        driver::PressButton(box, IDOK);
        return 0;
    }
    if (command == L"tune" || command == L"simulator") {
        HWND simulator = Await(driver::kSimulatorClass, "the stand-in simulator");
        if (!simulator) return 1;
        if (command == L"tune") {
            driver::TuneSimulator(simulator, argument);
        } else {
            SetWindowPos(simulator, nullptr, 420, 40, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    }
    HWND brenvale = Await(kMainWindowClass, "Brenvale's window");
    if (!brenvale) return 1;
    if (command == L"label") std::printf("%ls\n", driver::LabelText(brenvale).c_str());
    if (command == L"caption") std::printf("%ls\n", WindowText(brenvale).c_str());
    if (command == L"rect") {
        RECT rect{};
        GetWindowRect(brenvale, &rect);
        std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                    rect.top);
    }
    if (command == L"close") driver::CloseAndWait(brenvale, kWaitMs);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    for (const wchar_t* known :
         {L"name", L"tune", L"simulator", L"label", L"caption", L"rect", L"close"}) {
        if (command == known) return Run(command, argc > 2 ? argv[2] : L"");
    }
    std::fprintf(stderr,
                 "usage: brenvale-driver name TEXT | tune FREQUENCY | simulator | label | caption |"
                 " rect | close\n");
    return 2;
}

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

#include "DialogDriver.h"

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr int kSimFrequencyField = 106;

struct Found {
    const wchar_t* className;
    const wchar_t* title;  // nullptr: any
    HWND window = nullptr;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* found = reinterpret_cast<Found*>(parameter);
    if (!IsWindowVisible(window) || driver::ClassName(window) != found->className) return TRUE;
    if (found->title && driver::WindowText(window) != found->title) return TRUE;
    found->window = window;
    return FALSE;
}

HWND WaitForWindow(const wchar_t* className, const wchar_t* title) {
    DWORD start = GetTickCount();
    for (;;) {
        Found found{className, title};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&found));
        if (found.window) return found.window;
        if (GetTickCount() - start > kWaitMs) return nullptr;
        Sleep(50);
    }
}

int Fail(const char* what) {
    std::fprintf(stderr, "brenvale-driver: %s did not appear\n", what);
    return 1;
}

int AnswerName(const std::wstring& name) {
    HWND box = WaitForWindow(L"#32770", L"Brenvale");
    if (!box) return Fail("the name question");
    driver::TypeIntoEdit(box, name);
    driver::PressButton(box, IDOK);
    return 0;
}

int Tune(const std::wstring& frequency) {
    HWND simulator = WaitForWindow(L"UIPCMAIN", nullptr);
    if (!simulator) return Fail("the stand-in simulator");
    SendMessageW(GetDlgItem(simulator, kSimFrequencyField), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(frequency.c_str()));
    SendMessageW(simulator, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(simulator, IDOK)));
    return 0;
}

int WaitForSimulator() {
    HWND simulator = WaitForWindow(L"UIPCMAIN", nullptr);
    if (!simulator) return Fail("the stand-in simulator");
    SetWindowPos(simulator, nullptr, 420, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

int PrintLabel() {
    HWND window = WaitForWindow(L"BrenvaleMainWindow", nullptr);
    if (!window) return Fail("Brenvale's window");
    HWND label = driver::FindChild(window, L"Static");
    std::wstring text = label ? driver::WindowText(label) : L"";
    std::printf("%ls\n", text.c_str());
    return 0;
}

int PrintCaption() {
    HWND window = WaitForWindow(L"BrenvaleMainWindow", nullptr);
    if (!window) return Fail("Brenvale's window");
    std::printf("%ls\n", driver::WindowText(window).c_str());
    return 0;
}

int PrintRect() {
    HWND window = WaitForWindow(L"BrenvaleMainWindow", nullptr);
    if (!window) return Fail("Brenvale's window");
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                rect.top);
    return 0;
}

int Close() {
    HWND window = WaitForWindow(L"BrenvaleMainWindow", nullptr);
    if (!window) return Fail("Brenvale's window");
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (process) {
        WaitForSingleObject(process, kWaitMs);
        CloseHandle(process);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring command = argc > 1 ? argv[1] : L"";
    std::wstring argument = argc > 2 ? argv[2] : L"";
    if (command == L"name") return AnswerName(argument);
    if (command == L"tune") return Tune(argument);
    if (command == L"simulator") return WaitForSimulator();
    if (command == L"label") return PrintLabel();
    if (command == L"caption") return PrintCaption();
    if (command == L"rect") return PrintRect();
    if (command == L"close") return Close();
    std::fprintf(stderr, "usage: brenvale-driver name TEXT | tune FREQUENCY | simulator | label | caption |"
                 " rect | close\n");
    return 2;
}

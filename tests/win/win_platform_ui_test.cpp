// The main window, the input box and the folder picker for real; the dialogs answered
// from a second thread as a user would. Texts and captions are shown end to end.
// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs <windows.h> first
// clang-format on
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "platform/win32/MessageLoop.h"
#include "platform/win32/UnhandledFailure.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32MainWindow.h"
#include "tests/win/WinTestSupport.h"

namespace {

void CALLBACK EndLoop(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(99);
}

// Runs the program's message loop for at most `ms`; its exit code, 99 when time ran out.
int RunLoopFor(UINT ms) {
    const UINT_PTR timer = SetTimer(nullptr, 0, ms, EndLoop);
    const int exitCode = RunMessageLoop();
    KillTimer(nullptr, timer);
    return exitCode;
}

// On one screen the window has the screen's DPI.
int Pixels(int twips) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(twips, dpi, 1440);
}

class MainWindowTest : public testing::Test, public MainWindowEvents {
  protected:
    void OnTimerTick() override {
        ++ticks;
        throw PlatformFailure(2, L"The system cannot find the file.");
    }
    void OnCloseRequest() override { ++closeRequests; }

    int ticks = 0, closeRequests = 0;
    std::unique_ptr<MainWindowView> view = Win32MainWindowFactory().CreateMainWindow(*this);
    HWND window = reinterpret_cast<HWND>(view->NativeHandle());
    HWND label = GetDlgItem(window, kFrequencyLabelId);
};

TEST_F(MainWindowTest, HasItsDesignedFrameAndPlaceAndACentredPlainLabel) {
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) &
                  (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    RECT client, box;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    GetWindowRect(label, &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    // Width, height, left and top of the client area on the screen, then of the label in it.
    const LONG pixels[] = {client.right,         client.bottom,        origin.x, origin.y,
                           box.right - box.left, box.bottom - box.top, box.left, box.top};
    const int twips[] = {3720, 825, 915, 2490, 3495, 495, 120, 120};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pixels[i], Pixels(twips[i])) << "measure " << i;
    EXPECT_EQ(GetWindowLongPtrW(label, GWL_STYLE) & (SS_TYPEMASK | WS_BORDER | WS_TABSTOP),
              SS_CENTER);
    EXPECT_EQ(GetWindowLongPtrW(label, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -Pixels(24 * 20));  // 24 points of 20 twips
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
}

TEST_F(MainWindowTest, TheLabelTextIsOnTheScreenAtOnce) {
    view->Show();
    UpdateWindow(window);
    view->ShowLabelText(L"122.80");  // no message handled in between
    EXPECT_EQ(driver::WindowText(label), L"122.80");
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(label, &pending, FALSE)) << "already painted";
}

TEST_F(MainWindowTest, ClosingReportsTheRequestAndEndsTheLoop) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunLoopFor(10000), 0);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_FALSE(IsWindow(window));
}

// The timer ticks only once enabled, an interval later; a failure in the tick ends the
// loop and is kept for the report.
TEST_F(MainWindowTest, TheTimerTicksOnceEnabledAndAFailureInATickEndsTheLoop) {
    EXPECT_EQ(RunLoopFor(300), 99);
    const ULONGLONG enabled = GetTickCount64();
    view->EnableTimer();
    EXPECT_EQ(RunLoopFor(10000), 1);
    EXPECT_GE(GetTickCount64() - enabled, 1400u);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(DescribeFailure(TakeUnhandledFailure()), L"The system cannot find the file.");
}

// Runs `answer` on a second thread against the dialog that `ask` opens on this one.
std::wstring AnswerDialog(const std::function<std::wstring()>& ask,
                          const std::function<void(HWND)>& answer) {
    const DWORD askingThread = GetCurrentThreadId();
    std::thread user([&] {
        HWND dialog = driver::WaitForWindow(driver::kDialogClass, GetCurrentProcessId(), 10000);
        if (dialog) answer(dialog);
        if (!dialog) PostThreadMessageW(askingThread, WM_QUIT, 0, 0);  // rather than hang
    });
    std::wstring result = ask();
    user.join();
    return result;
}

// Each way of answering, after a look at the box as it opened.
TEST(InputBoxTest, OpensEmptyFocusedWithOkAsDefaultAndGivesTheTextOnOkOrEnterOnly) {
    const std::wstring typed = L"  Ann \x0141\x00F3d\x017A  ";
    const struct {
        const char* how;
        bool toField;  // else to the dialog
        UINT message;
        WPARAM wParam;
        std::wstring expected;
    } answers[] = {{"OK", false, WM_COMMAND, IDOK, typed},
                   {"Enter", true, WM_KEYDOWN, VK_RETURN, typed},
                   {"Cancel", false, WM_COMMAND, IDCANCEL, L""},
                   {"Escape", true, WM_KEYDOWN, VK_ESCAPE, L""},
                   {"Close", false, WM_CLOSE, 0, L""}};
    const DWORD askingThread = GetCurrentThreadId();
    for (const auto& answer : answers) {
        std::wstring field = L"?";
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        LRESULT defaultButton = 0;
        HWND edit = nullptr;
        const std::wstring given = AnswerDialog(
            [] { return Win32Dialogs().InputBox(L"Your name", L"Brenvale"); },
            [&](HWND dialog) {
                edit = GetDlgItem(dialog, kInputBoxEditId);
                field = driver::WindowText(edit);
                GetGUIThreadInfo(askingThread, &gui);
                defaultButton = SendMessageW(dialog, DM_GETDEFID, 0, 0);
                for (wchar_t c : typed) PostMessageW(edit, WM_CHAR, c, 0);
                PostMessageW(answer.toField ? edit : dialog, answer.message, answer.wParam, 0);
            });
        EXPECT_EQ(given, answer.expected) << answer.how;
        EXPECT_EQ(field, L"");
        EXPECT_EQ(gui.hwndFocus, edit);
        EXPECT_EQ(defaultButton, MAKELRESULT(IDOK, DC_HASDEFID));
    }
}

TEST(FolderPickerTest, OwnedByTheWindowAndOkGivesAnExistingFolder) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND ownerSeen = nullptr;
    const std::wstring picked = AnswerDialog(
        [&] { return Win32Dialogs().PickFolder(reinterpret_cast<uintptr_t>(owner), L"Pick"); },
        [&](HWND dialog) {
            ownerSeen = GetWindow(dialog, GW_OWNER);
            HWND tree = driver::FindChild(dialog, L"SysTreeView32");
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET,
                         SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
    DestroyWindow(owner);
    EXPECT_EQ(ownerSeen, owner);
    EXPECT_TRUE(std::filesystem::is_directory(picked)) << picked;
}

}  // namespace

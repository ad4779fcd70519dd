// The main window for real: its geometry, label, font, caption, timer and close.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "platform/win32/MessageLoop.h"
#include "platform/win32/UnhandledFailure.h"
#include "platform/win32/Win32MainWindow.h"
#include "win_platform_support.h"

using winplatformtest::PumpMessagesUntil;
using winplatformtest::TextOf;

namespace {

class RecordingEvents : public MainWindowEvents {
  public:
    void OnTimerTick() override {
        ++ticks;
        if (tickAction) tickAction();
    }
    void OnCloseRequest() override { ++closeRequests; }

    int ticks = 0;
    int closeRequests = 0;
    std::function<void()> tickAction;
};

UINT DpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    const auto getDpi = reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpi && getDpi(window) != 0) return getDpi(window);
    HDC screen = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    return dpi;
}

void CALLBACK EndLoopAfterTimeout(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(99);
}

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        view = Win32MainWindowFactory().CreateMainWindow(events);
        window = reinterpret_cast<HWND>(view->NativeHandle());
        ASSERT_TRUE(IsWindow(window));
        label = GetDlgItem(window, kFrequencyLabelId);
        ASSERT_NE(label, nullptr);
        dpi = DpiOf(window);
    }
    void TearDown() override {
        view.reset();
        winplatformtest::TakeQuitMessage();
        TakeUnhandledFailure();
    }

    int Pixels(int twips) const { return MulDiv(twips, static_cast<int>(dpi), 1440); }

    RecordingEvents events;
    std::unique_ptr<MainWindowView> view;
    HWND window = nullptr;
    HWND label = nullptr;
    UINT dpi = 96;
};

}  // namespace

// Size and caption are shown end to end; here the frame, the place, the label and its font.
TEST_F(MainWindowTest, StartsHiddenInItsDesignedFrameAndPlaceWithACentredPlainLabel) {
    EXPECT_FALSE(IsWindowVisible(window));
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(GetMenu(window), nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, Pixels(3720));
    EXPECT_EQ(client.bottom, Pixels(825));
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, Pixels(915));
    EXPECT_EQ(origin.y, Pixels(2490));

    RECT box;
    GetWindowRect(label, &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, Pixels(120));
    EXPECT_EQ(box.top, Pixels(120));
    EXPECT_EQ(box.right - box.left, Pixels(3495));
    EXPECT_EQ(box.bottom - box.top, Pixels(495));
    const LONG_PTR labelStyle = GetWindowLongPtrW(label, GWL_STYLE);
    EXPECT_EQ(labelStyle & SS_TYPEMASK, SS_CENTER);
    EXPECT_FALSE(labelStyle & (WS_BORDER | WS_TABSTOP)) << "plain, and never takes the focus";
    EXPECT_EQ(GetWindowLongPtrW(label, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0);

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    ASSERT_EQ(GetObjectW(font, sizeof description, &description), sizeof description);
    EXPECT_STREQ(description.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(description.lfHeight, -MulDiv(24, static_cast<int>(dpi), 72));
    EXPECT_EQ(description.lfWeight, FW_NORMAL);
    EXPECT_FALSE(description.lfItalic || description.lfUnderline || description.lfStrikeOut);
    EXPECT_EQ(description.lfCharSet, ANSI_CHARSET);
}

TEST_F(MainWindowTest, CaptionAndLabelTextCanBeSetTheLabelsAtOnceOnTheScreen) {
    view->SetCaption(L"Brenvale \x2013 \x0416");
    EXPECT_EQ(view->Caption(), L"Brenvale \x2013 \x0416");
    EXPECT_EQ(TextOf(window), L"Brenvale \x2013 \x0416");

    view->Show();
    PumpMessagesUntil([] { return false; }, 200);  // let the first paint happen
    ASSERT_TRUE(IsWindowVisible(window));
    view->ShowLabelText(L"122.80");  // no message handled in between
    EXPECT_EQ(TextOf(label), L"122.80");
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(label, &pending, FALSE)) << "already painted";
}

TEST_F(MainWindowTest, TimerTicksThroughTheMessageLoopOnlyOnceEnabled) {
    EXPECT_FALSE(PumpMessagesUntil([&] { return events.ticks > 0; }, 300));
    const ULONGLONG enabled = GetTickCount64();
    view->EnableTimer();
    ASSERT_TRUE(PumpMessagesUntil([&] { return events.ticks > 0; }, 10000));
    // One interval passes before the first tick (the system may round its timers).
    EXPECT_GE(GetTickCount64() - enabled, 1400u);
    EXPECT_EQ(events.ticks, 1);
}

TEST_F(MainWindowTest, ClosingReportsTheRequestDestroysTheWindowAndEndsTheLoop) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(events.closeRequests, 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(view->NativeHandle(), 0u);
}

TEST_F(MainWindowTest, ReleasingTheWindowNeitherAsksNorEndsTheLoop) {
    view.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(events.closeRequests, 0);
    EXPECT_FALSE(winplatformtest::TakeQuitMessage());
}

TEST_F(MainWindowTest, AFailureInATickEndsTheLoopAndIsKeptForTheReport) {
    events.tickAction = [] { throw PlatformFailure(2, L"The system cannot find the file."); };
    view->EnableTimer();
    const UINT_PTR guard = SetTimer(nullptr, 0, 10000, EndLoopAfterTimeout);  // should it not
    const int exitCode = RunMessageLoop();
    KillTimer(nullptr, guard);
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(events.ticks, 1);
    EXPECT_TRUE(IsWindow(window)) << "the process entry takes the window down";
    EXPECT_EQ(DescribeFailure(TakeUnhandledFailure()), L"The system cannot find the file.");
    EXPECT_FALSE(TakeUnhandledFailure()) << "taken once";

    EXPECT_EQ(DescribeFailure(std::make_exception_ptr(std::runtime_error("disk full"))),
              L"disk full");
    EXPECT_EQ(DescribeFailure(std::make_exception_ptr(42)), L"Unknown failure");
    EXPECT_EQ(DescribeFailure(nullptr), L"Unknown failure");
}

// The platform services over the real Windows calls. What the program itself shows, reads
// and stores is seen end to end; its resources are read from the file by the package test.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/ShownTexts.h"
#include "ipc/IpcResult.h"
#include "platform/PlatformFailure.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/UnhandledFailure.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Helpers.h"
#include "platform/win32/Win32MainWindow.h"
#include "platform/win32/Win32SettingsStore.h"
#include "tests/support/SurrogateNaming.h"
#include "tests/win/WinTestSupport.h"

namespace {

using wintest::WriteBytes;

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

// The program's window events: ticks counted, each failing as a missing file would.
struct FailingTicks : MainWindowEvents {
    void OnTimerTick() override {
        ++ticks;
        throw PlatformFailure(L"The system cannot find the file.");
    }
    void OnCloseRequest() override {}
    int ticks = 0;
};

TEST(MainWindowTest, FrameLabelTimerAndAFailureInATick) {
    FailingTicks events;
    const auto view = Win32MainWindowFactory().CreateMainWindow(events);
    HWND window = reinterpret_cast<HWND>(view->NativeHandle());
    HWND label = GetDlgItem(window, kFrequencyLabelId);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) &
                  (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    const int dpi = GetDeviceCaps(ScreenDc().get(), LOGPIXELSX);  // one screen: the window's
    RECT client, box;
    GetClientRect(window, &client);
    GetWindowRect(label, &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    // Width and height of the client area, then width, height, left and top of the label in it.
    const LONG pixels[] = {client.right,         client.bottom, box.right - box.left,
                           box.bottom - box.top, box.left,      box.top};
    const int twips[] = {3720, 825, 3495, 495, 120, 120};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pixels[i], MulDiv(twips[i], dpi, 1440)) << i;
    EXPECT_EQ(GetWindowLongPtrW(label, GWL_STYLE) & (SS_TYPEMASK | WS_BORDER | WS_TABSTOP),
              SS_CENTER);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -MulDiv(24, dpi, 72));

    // The timer ticks only once enabled, an interval later; a failure in the tick ends the
    // loop and is kept for the report.
    EXPECT_EQ(RunLoopFor(1700), 99);
    const ULONGLONG enabled = GetTickCount64();
    view->EnableTimer(1500);
    EXPECT_EQ(RunLoopFor(10000), 1);
    EXPECT_GE(GetTickCount64() - enabled, 1400u);
    EXPECT_EQ(events.ticks, 1);
    EXPECT_EQ(DescribeFailure(TakeUnhandledFailure()), L"The system cannot find the file.");
}

// The title bar's room for the caption's text, as the system lays the bar out: its own
// account of the bar (which begins after the window menu's icon), less the close button
// and the minimize and greyed maximize buttons at its right end, each with a gap.
int TitleBarTextRoom(HWND window) {
    TITLEBARINFO bar{};
    bar.cbSize = sizeof bar;
    GetTitleBarInfo(window, &bar);
    return bar.rcTitleBar.right - bar.rcTitleBar.left - 3 * (GetSystemMetrics(SM_CXSIZE) + 2);
}

int CaptionTextExtent(const std::wstring& caption) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const UniqueFont font(CreateFontIndirectW(&metrics.lfCaptionFont));
    const ScreenDc screen;
    SelectObject(screen.get(), font.get());
    SIZE extent{};
    GetTextExtentPoint32W(screen.get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    return extent.cx;
}

// A failure in the caption widens the frame to the right until the title bar shows it
// whole, within the work area, the frequency staying in the middle. A caption wider than
// the work area gets all of its width, moving the frame left; the next failure puts it
// back where it stood, and the program's name brings back the designed size and place.
TEST(MainWindowTest, TheTitleBarShowsAFailureCaptionWhole) {
    FailingTicks events;
    const auto view = Win32MainWindowFactory().CreateMainWindow(events);
    HWND window = reinterpret_cast<HWND>(view->NativeHandle());
    HWND label = GetDlgItem(window, kFrequencyLabelId);
    const int dpi = GetDeviceCaps(ScreenDc().get(), LOGPIXELSX);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    RECT designed;
    GetWindowRect(window, &designed);

    const std::wstring startFailure =
        std::wstring(L"Brenvale") + shown::kStartFailed +
        L"This program is blocked by group policy. For more information, contact your system "
        L"administrator.";
    const struct {
        std::wstring caption;
        bool wholeInWorkArea;
    } failures[] = {
        {std::wstring(L"Brenvale") + L"Can't connect: " + kIpcResultTexts[IpcServerNotFound], true},
        {startFailure + startFailure + startFailure, false},
        {startFailure, true}};
    for (const auto& failure : failures) {
        view->SetCaption(failure.caption);
        RECT frame, client, box;
        GetWindowRect(window, &frame);
        GetClientRect(window, &client);
        GetWindowRect(label, &box);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
        const int room = TitleBarTextRoom(window), extent = CaptionTextExtent(failure.caption);
        EXPECT_EQ(view->Caption(), failure.caption);
        EXPECT_GT(client.right, MulDiv(3720, dpi, 1440));
        EXPECT_EQ(client.bottom, MulDiv(825, dpi, 1440));
        EXPECT_LE(std::abs(box.left + box.right - client.right), 1) << box.left;
        EXPECT_EQ(box.top, MulDiv(120, dpi, 1440));
        EXPECT_GE(frame.left, work.left);
        EXPECT_LE(frame.right, work.right);
        if (failure.wholeInWorkArea) {
            EXPECT_GE(room, extent) << room;
            EXPECT_EQ(frame.left, designed.left);
        } else {
            EXPECT_EQ(frame.right - frame.left, work.right - work.left);
            EXPECT_LT(room, extent);
        }
    }

    view->SetCaption(L"Brenvale");
    RECT frame, client, box;
    GetWindowRect(window, &frame);
    EXPECT_TRUE(EqualRect(&frame, &designed));
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, MulDiv(3720, dpi, 1440));
    GetWindowRect(label, &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, MulDiv(120, dpi, 1440));
}

struct DialogUser {
    const std::function<void(HWND)>& answer;
    DWORD askingThread;
};

DWORD WINAPI AnswerAsUser(void* parameter) {
    const DialogUser& user = *static_cast<DialogUser*>(parameter);
    HWND dialog = driver::WaitForWindow(driver::kDialogClass, GetCurrentProcessId(), 10000);
    if (dialog) user.answer(dialog);
    if (!dialog) PostThreadMessageW(user.askingThread, WM_QUIT, 0, 0);  // rather than hang
    return 0;
}

// Runs `answer` on a second thread against the dialog that `ask` opens on this one. A
// system thread: the toolchain's standard library (win32 threads) has no std::thread.
std::wstring AnswerDialog(const std::function<std::wstring()>& ask,
                          const std::function<void(HWND)>& answer) {
    DialogUser user{answer, GetCurrentThreadId()};
    HANDLE thread = CreateThread(nullptr, 0, AnswerAsUser, &user, 0, nullptr);
    if (thread == nullptr) {
        ADD_FAILURE() << "no second thread: error " << GetLastError();
        return L"";
    }
    std::wstring result = ask();
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return result;
}

// Each way of answering; the typed text comes back unchanged only if the field was empty.
TEST(InputBoxTest, OpensFocusedWithOkAsDefaultAndGivesTheTextOnOkOrEnterOnly) {
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
        const std::wstring given = AnswerDialog(
            [] { return Win32Dialogs().InputBox(L"Your name", L"Brenvale"); },
            [&](HWND dialog) {
                HWND edit = GetDlgItem(dialog, kInputBoxEditId);
                GUITHREADINFO gui{};
                gui.cbSize = sizeof gui;
                EXPECT_TRUE(GetGUIThreadInfo(askingThread, &gui) && gui.hwndFocus == edit);
                EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK,
                          BS_DEFPUSHBUTTON);
                for (wchar_t c : typed) PostMessageW(edit, WM_CHAR, c, 0);
                PostMessageW(answer.toField ? edit : dialog, answer.message, answer.wParam, 0);
            });
        EXPECT_EQ(given, answer.expected) << answer.how;
    }
}

// Copying replaces, or fails; existence counts files only; a table held open for writing
// reads; UTF-8 decodes strictly.
TEST(FileSystemTest, CopiesFindsReadsAndDecodesAsTheProgramNeeds) {
    Win32FileSystem files;
    wintest::ScratchFolder folder;
    WriteBytes(folder / L"fsuipc.dll", "the new module");
    WriteBytes(folder / L"old.dll", "an older and longer module");
    files.CopyFileReplacing(folder / L"fsuipc.dll", folder / L"old.dll");
    EXPECT_EQ(std::filesystem::file_size(folder / L"old.dll"), 14u);
    EXPECT_THROW(files.CopyFileReplacing(folder / L"x.dll", folder / L"y.dll"), PlatformFailure);

    WriteBytes(folder / L"\x0416\x65E5\x672C.exe", "client");
    std::filesystem::create_directories(folder / L"sub\\fsuipc.dll");
    const std::pair<std::wstring, bool> paths[] = {
        {folder / L"fsuipc.dll", true},
        {folder / L"\x0416\x65E5\x672C.exe", true},
        {folder.path.wstring() + L"\\\\fsuipc.dll",
         true},  // a picked drive root ends in a backslash
        {folder / L"sub\\fsuipc.dll", false}};
    for (const auto& [path, exists] : paths) EXPECT_EQ(files.FileExists(path), exists) << path;

    const std::wstring table = folder / L"brenvale.txt";
    WriteBytes(table, "122.80,s,l,p,c,x\r\n");
    HANDLE editor = CreateFileW(table.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);  // as an editor holds it
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    char bytes[64] = {};
    EXPECT_EQ(files.OpenForReading(table)->Read(bytes, sizeof bytes), 18u);
    CloseHandle(editor);

    EXPECT_EQ(files.FromUtf8("M\xC3\xBCnchen \xE2\x82\xAC"), L"M\x00FCnchen \x20AC");
    for (const char* invalid : {"Caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}) {
        EXPECT_THROW(files.FromUtf8(invalid), PlatformFailure) << invalid;
    }
    // Without checking, the system reads on past what is not UTF-8.
    EXPECT_EQ(files.FromUtf8Replacing("Caf\xE9, \xE2\x82!"), L"Caf\xFFFD, \xFFFD!");
}

// Under Wine the code page is 1252. What it holds converts to its bytes; the system refuses
// each text with a surrogate, whole or not, and the naming over it takes a pair as one
// character and a surrogate alone as none, as natively.
TEST(FileSystemTest, TheCodePageConversionAndTheNamingOfSurrogates) {
    ASSERT_EQ(GetACP(), 1252u);
    Win32FileSystem files;
    std::string bytes;
    EXPECT_TRUE(files.ToSystemCodePage(L"M\u00FCnchen \u20AC", bytes));
    EXPECT_EQ(bytes, "M\xFCnchen \x80");
    surrogates::ExpectNamings(files);
}

// Any text round-trips, for an application of the test's own.
TEST(SettingsStoreTest, AnyTextRoundTrips) {
    Win32SettingsStore store;
    const std::wstring app = L"BrenvaleTest" + std::to_wstring(GetCurrentProcessId());
    for (const std::wstring& text :
         {L"D:\\" + std::wstring(300, L'x') + L"\\\x0416", std::wstring()}) {
        store.SaveSetting(app, L"Settings", L"TSPath", text);
        EXPECT_EQ(store.GetSetting(app, L"Settings", L"TSPath"), text);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + app).c_str());
}

}  // namespace

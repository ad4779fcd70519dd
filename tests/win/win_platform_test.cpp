// The platform services over the real Windows calls: the main window, the dialogs
// (answered from a second thread as a user would), files, settings, and the resources
// the program carries. What the program itself shows, reads and stores is seen end to end.
// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs <windows.h> first
// clang-format on
#include <gtest/gtest.h>

#include <thread>

#include "platform/win32/MessageLoop.h"
#include "platform/win32/UnhandledFailure.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32MainWindow.h"
#include "platform/win32/Win32SettingsStore.h"
#include "platform/win32/res/resource.h"
#include "tests/win/WinTestSupport.h"

namespace {

using wintest::FailureOf;
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
    void OnCloseRequest() override {}

    int ticks = 0;
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

    view->Show();
    UpdateWindow(window);
    view->ShowLabelText(L"122.80");  // no message handled in between
    EXPECT_EQ(driver::WindowText(label), L"122.80");
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(label, &pending, FALSE)) << "the label is painted at once";
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
                EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
                for (wchar_t c : typed) PostMessageW(edit, WM_CHAR, c, 0);
                PostMessageW(answer.toField ? edit : dialog, answer.message, answer.wParam, 0);
            });
        EXPECT_EQ(given, answer.expected) << answer.how;
    }
}

TEST(FolderPickerTest, OwnedByTheWindowAndOkGivesAnExistingFolder) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    const std::wstring picked = AnswerDialog(
        [&] { return Win32Dialogs().PickFolder(reinterpret_cast<uintptr_t>(owner), L"Pick"); },
        [&](HWND dialog) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
            HWND tree = driver::FindChild(dialog, L"SysTreeView32");
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET,
                         SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
    DestroyWindow(owner);
    EXPECT_TRUE(std::filesystem::is_directory(picked)) << picked;
}

std::string Contents(const std::wstring& path) {  // empty when there is no such file
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class FileSystemTest : public testing::Test {
  protected:
    Win32FileSystem files;
    wintest::ScratchFolder folder;
};

TEST_F(FileSystemTest, CopyReplacesOrFailsWithTheSystemsTextChangingNothing) {
    WriteBytes(folder / L"fsuipc.dll", "the new module");
    WriteBytes(folder / L"old.dll", "an older and longer module");
    WriteBytes(folder / L"busy.dll", "loaded by the simulator");
    const struct {
        const wchar_t *from, *to;
        DWORD error;  // 0: copied
    } copies[] = {{L"fsuipc.dll", L"old.dll", 0},
                  {L"missing.dll", L"x.dll", ERROR_FILE_NOT_FOUND},
                  {L"fsuipc.dll", L"Modules\\fsuipc.dll", ERROR_PATH_NOT_FOUND},
                  {L"fsuipc.dll", L"busy.dll", ERROR_SHARING_VIOLATION}};
    for (const auto& copy : copies) {
        const std::string before = Contents(folder / copy.to);
        HANDLE busy = CreateFileW((folder / L"busy.dll").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);  // held, shared with no one
        const PlatformFailure failure =
            FailureOf([&] { files.CopyFileReplacing(folder / copy.from, folder / copy.to); });
        CloseHandle(busy);
        EXPECT_EQ(failure.Code(), copy.error) << copy.to;
        EXPECT_EQ(failure.Description(),
                  copy.error ? wintest::SystemText(copy.error) : L"no failure");
        EXPECT_EQ(Contents(folder / copy.to), copy.error ? before : "the new module") << copy.to;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / L"Modules"));
}

TEST_F(FileSystemTest, ExistenceCountsFilesOnly) {
    WriteBytes(folder / L"teamspeak.exe", "client");
    WriteBytes(folder / L"\x0416\x65E5\x672C.exe", "client");
    std::filesystem::create_directories(folder / L"sub\\teamspeak.exe");
    const std::pair<std::wstring, bool> paths[] = {
        {folder / L"teamspeak.exe", true},
        {folder / L"\x0416\x65E5\x672C.exe", true},
        {folder.path + L"\\\\teamspeak.exe", true},  // a picked drive root ends in a backslash
        {folder / L"sub\\teamspeak.exe", false},
        {folder / L"no such folder\\teamspeak.exe", false},
        {L"", false}};
    for (const auto& [path, exists] : paths) EXPECT_EQ(files.FileExists(path), exists) << path;
}

// The table's way in: opened while an editor holds it for writing, then decoded.
TEST_F(FileSystemTest, ReadsATableAnEditorHoldsOpenAndDecodesText) {
    const std::wstring table = folder / L"brenvale.txt";
    WriteBytes(table, "122.80,s,l,p,c,x\r\n");
    HANDLE editor = CreateFileW(table.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    char bytes[64] = {};
    size_t read = 0;
    const PlatformFailure failure =
        FailureOf([&] { read = files.OpenForReading(table)->Read(bytes, sizeof bytes); });
    CloseHandle(editor);
    EXPECT_NE(editor, INVALID_HANDLE_VALUE);
    EXPECT_EQ(failure.Code(), 0u);
    EXPECT_EQ(std::string(bytes, read), "122.80,s,l,p,c,x\r\n");

    EXPECT_EQ(files.FromUtf8("M\xC3\xBCnchen \xE2\x82\xAC"), L"M\x00FCnchen \x20AC");
    for (const char* invalid : {"Caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}) {
        EXPECT_NE(FailureOf([&] { files.FromUtf8(invalid); }).Code(), 0u) << invalid;
    }
    EXPECT_EQ(files.FromSystemCodePage(""), L"");
    if (GetACP() == 1252) {
        EXPECT_EQ(files.FromSystemCodePage("Caf\xE9 \x80"), L"Caf\x00E9 \x20AC");
    }
}

// For an application of the test's own: reading creates nothing, a write the registry
// refuses throws with the system's text, any text round-trips as a string value, and a
// value of another type reads empty.
TEST(SettingsStoreTest, ReadsWritesAndFailsAsTheRegistryDoes) {
    Win32SettingsStore store;
    const std::wstring application = L"BrenvaleTest" + std::to_wstring(GetCurrentProcessId());
    const std::wstring key = L"Software\\VB and VBA Program Settings\\" + application;
    const auto get = [&] { return store.GetSetting(application, L"Settings", L"TSPath"); };
    const auto save = [&](const std::wstring& text) {
        store.SaveSetting(application, L"Settings", L"TSPath", text);
    };
    EXPECT_EQ(get(), L"");
    HKEY handle = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle),
              ERROR_FILE_NOT_FOUND);
    // Below a volatile key the registry refuses to create a lasting one.
    RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                    nullptr, &handle, nullptr);
    RegCloseKey(handle);
    const PlatformFailure refused = FailureOf([&] { save(L"C:\\TS"); });
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    EXPECT_EQ(refused.Code(), static_cast<uint32_t>(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_EQ(refused.Description(), wintest::SystemText(ERROR_CHILD_MUST_BE_VOLATILE));

    for (const std::wstring& text :
         {L"D:\\" + std::wstring(300, L'x') + L"\\\x0416", std::wstring()}) {
        save(text);
        wchar_t stored[1024] = L"?";
        DWORD bytes = sizeof stored;
        RegGetValueW(HKEY_CURRENT_USER, (key + L"\\Settings").c_str(), L"TSPath", RRF_RT_REG_SZ,
                     nullptr, stored, &bytes);
        EXPECT_EQ(stored, text);
        EXPECT_EQ(get(), text);
    }
    const DWORD number = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\Settings").c_str(), L"TSPath", REG_DWORD, &number,
                    4);
    EXPECT_EQ(get(), L"");
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

std::string Resource(const wchar_t* type, WORD id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    const void* data = found ? LockResource(LoadResource(nullptr, found)) : nullptr;
    return data ? std::string(static_cast<const char*>(data), SizeofResource(nullptr, found)) : "";
}

TEST(ResourcesTest, IconVersionTextsAndManifest) {
    // The icon group: a 6-byte header, then 14-byte entries with the width at 0, the
    // height at 1 and the bits per pixel at 6; both images load.
    const std::string group = Resource(RT_GROUP_ICON, IDI_BRENVALE);
    std::vector<std::wstring> images;
    for (size_t at = 6; at + 14 <= group.size(); at += 14) {
        images.push_back(std::to_wstring(group[at]) + L"x" + std::to_wstring(group[at + 1]) + L"x" +
                         std::to_wstring(group[at + 6]));
    }
    EXPECT_EQ(images, (std::vector<std::wstring>{L"32x32x1", L"32x32x4"}));
    for (UINT depth : {LR_MONOCHROME, LR_DEFAULTCOLOR}) {
        HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BRENVALE),
                                 IMAGE_ICON, 32, 32, depth);
        EXPECT_NE(icon, nullptr) << depth;
        DestroyIcon(static_cast<HICON>(icon));
    }

    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::vector<BYTE> info(GetFileVersionInfoSizeW(program, nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(program, 0, info.size(), info.data()));
    const std::pair<const wchar_t*, const wchar_t*> texts[] = {
        {L"ProductName", L"Brenvale"},
        {L"ProductVersion", BRENVALE_PROJECT_VERSION},  // the build's, as wide text
        {L"FileVersion", BRENVALE_PROJECT_VERSION}};
    for (const auto& [name, expected] : texts) {
        wchar_t* value = nullptr;
        UINT length = 0;
        VerQueryValueW(info.data(), (std::wstring(L"\\StringFileInfo\\040904B0\\") + name).c_str(),
                       reinterpret_cast<void**>(&value), &length);
        EXPECT_STREQ(value, expected) << name;
    }
    const std::string manifest = Resource(RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("asInvoker"), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
}

}  // namespace

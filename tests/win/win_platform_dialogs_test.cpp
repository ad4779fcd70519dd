// The input box and the folder picker for real, answered from a second thread the way
// a user would answer them.

// clang-format off
#include <windows.h>
#include <commctrl.h> // needs <windows.h> first
// clang-format on
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "platform/win32/Win32Dialogs.h"
#include "win_platform_support.h"

using winplatformtest::TextOf;

namespace {

const wchar_t kPrompt[] = L"Enter your name for this session";
const wchar_t kInstruction[] = L"Select the directory that TeamSpeak is installed in.";

BOOL CALLBACK KeepVisibleDialog(HWND window, LPARAM result) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// The visible dialog of the given thread, once it is up (bounded wait).
HWND AwaitDialog(DWORD threadId) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        HWND found = nullptr;
        EnumThreadWindows(threadId, KeepVisibleDialog, reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        Sleep(20);
    }
    return nullptr;
}

// Runs `answer` on a second thread against the dialog that `ask` opens on this one.
std::wstring AnswerDialog(const std::function<std::wstring()>& ask,
                          const std::function<void(HWND)>& answer) {
    const DWORD askingThread = GetCurrentThreadId();
    std::thread user([&] {
        if (HWND dialog = AwaitDialog(askingThread)) {
            answer(dialog);
        } else {  // nothing appeared: end whatever is waiting rather than hang the test
            PostThreadMessageW(askingThread, WM_QUIT, 0, 0);
        }
    });
    std::wstring result = ask();
    user.join();
    return result;
}

std::wstring Ask(const std::function<void(HWND)>& answer) {
    return AnswerDialog([] { return Win32Dialogs().InputBox(kPrompt, L"Brenvale"); }, answer);
}

bool CentredOnItsMonitor(HWND dialog) {
    RECT rect;
    GetWindowRect(dialog, &rect);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    return std::abs((rect.left + rect.right) - (area.left + area.right)) <= 2 &&
           std::abs((rect.top + rect.bottom) - (area.top + area.bottom)) <= 2;
}

}  // namespace

TEST(InputBoxTest, ShowsThePromptWithAnEmptyFocusedFieldAndOkAsDefault) {
    const DWORD askingThread = GetCurrentThreadId();
    std::wstring title, prompt, field;
    bool fieldHasFocus = false, okIsDefault = false, centred = false;
    Ask([&](HWND dialog) {
        title = TextOf(dialog);
        prompt = TextOf(GetDlgItem(dialog, kInputBoxPromptId));
        HWND edit = GetDlgItem(dialog, kInputBoxEditId);
        field = TextOf(edit);
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        fieldHasFocus = GetGUIThreadInfo(askingThread, &gui) && gui.hwndFocus == edit;
        const LRESULT defaultId = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        okIsDefault = HIWORD(defaultId) == DC_HASDEFID && LOWORD(defaultId) == IDOK;
        centred = CentredOnItsMonitor(dialog);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(title, L"Brenvale");
    EXPECT_EQ(prompt, kPrompt);
    EXPECT_EQ(field, L"");
    EXPECT_TRUE(fieldHasFocus);
    EXPECT_TRUE(okIsDefault);
    EXPECT_TRUE(centred);
}

TEST(InputBoxTest, OkAndEnterGiveTheTypedTextUnchangedCancelEscapeAndCloseGiveEmpty) {
    const std::wstring typed = L"  Ann \x0141\x00F3d\x017A  ";
    struct Answer {
        const char* how;
        bool toField;  // else to the dialog
        UINT message;
        WPARAM wParam;
        std::wstring expected;
    };
    const Answer answers[] = {{"OK", false, WM_COMMAND, IDOK, typed},
                              {"Enter", true, WM_KEYDOWN, VK_RETURN, typed},
                              {"Cancel", false, WM_COMMAND, IDCANCEL, L""},
                              {"Escape", true, WM_KEYDOWN, VK_ESCAPE, L""},
                              {"Close", false, WM_CLOSE, 0, L""}};
    for (const Answer& answer : answers) {
        EXPECT_EQ(Ask([&](HWND dialog) {
                      HWND edit = GetDlgItem(dialog, kInputBoxEditId);
                      for (wchar_t c : typed) PostMessageW(edit, WM_CHAR, c, 0);
                      PostMessageW(answer.toField ? edit : dialog, answer.message, answer.wParam,
                                   0);
                  }),
                  answer.expected)
            << answer.how;
    }
}

// The instruction and Cancel are shown end to end; here the owner and a folder chosen.
TEST(FolderPickerTest, OwnedByTheWindowAndOkGivesTheChosenFolder) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    bool ownedByWindow = false;
    const std::wstring picked = AnswerDialog(
        [&] { return Win32Dialogs().PickFolder(reinterpret_cast<uintptr_t>(owner), kInstruction); },
        [&](HWND dialog) {
            ownedByWindow = GetWindow(dialog, GW_OWNER) == owner;
            if (HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr)) {
                const LRESULT root = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
                SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, root);
            }
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
    DestroyWindow(owner);
    EXPECT_TRUE(ownedByWindow);
    ASSERT_FALSE(picked.empty());
    EXPECT_EQ(picked.find(L'\0'), std::wstring::npos);
    const DWORD attributes = GetFileAttributesW(picked.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << std::string(picked.begin(), picked.end());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

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

namespace {

const wchar_t kPrompt[] = L"Enter your name for this session";

std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

BOOL CALLBACK KeepVisibleDialog(HWND window, LPARAM result) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

struct TextSearch {
    std::wstring text;
    HWND found;
};

BOOL CALLBACK KeepChildWithText(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<TextSearch*>(data);
    if (TextOf(child) != search->text) return TRUE;
    search->found = child;
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

HWND FindChildWithText(HWND parent, const std::wstring& text) {
    TextSearch search{text, nullptr};
    EnumChildWindows(parent, KeepChildWithText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Type(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 0);
}

// Runs `answer` on a second thread against the dialog that `ask` opens on this one.
template <typename Result>
Result AnswerDialog(const std::function<Result()>& ask, const std::function<void(HWND)>& answer) {
    const DWORD askingThread = GetCurrentThreadId();
    std::thread user([&] {
        HWND dialog = AwaitDialog(askingThread);
        if (dialog) {
            answer(dialog);
        } else {
            // Nothing appeared: end whatever is waiting rather than hang the test.
            PostThreadMessageW(askingThread, WM_QUIT, 0, 0);
        }
    });
    Result result = ask();
    user.join();
    return result;
}

class InputBoxTest : public testing::Test {
  protected:
    std::wstring Ask(const std::function<void(HWND)>& answer) {
        return AnswerDialog<std::wstring>([&] { return dialogs.InputBox(kPrompt, L"Brenvale"); },
                                          answer);
    }
    Win32Dialogs dialogs;
};

}  // namespace

TEST_F(InputBoxTest, ShowsThePromptWithAnEmptyFocusedFieldAndOkAsDefault) {
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
        RECT rect;
        GetWindowRect(dialog, &rect);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& area = monitor.rcWork;
        centred = std::abs((rect.left + rect.right) - (area.left + area.right)) <= 2 &&
                  std::abs((rect.top + rect.bottom) - (area.top + area.bottom)) <= 2;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(title, L"Brenvale");
    EXPECT_EQ(prompt, kPrompt);
    EXPECT_EQ(field, L"");
    EXPECT_TRUE(fieldHasFocus);
    EXPECT_TRUE(okIsDefault);
    EXPECT_TRUE(centred);
}

TEST_F(InputBoxTest, OkGivesTheTypedTextUnchanged) {
    const std::wstring typed = L"  Ann \x0141\x00F3d\x017A  ";
    EXPECT_EQ(Ask([&](HWND dialog) {
                  Type(GetDlgItem(dialog, kInputBoxEditId), typed);
                  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              }),
              typed);
}

TEST_F(InputBoxTest, EnterAcceptsTheText) {
    EXPECT_EQ(Ask([&](HWND dialog) {
                  HWND edit = GetDlgItem(dialog, kInputBoxEditId);
                  Type(edit, L"Bob");
                  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
              }),
              L"Bob");
}

TEST_F(InputBoxTest, CancelEscapeAndCloseGiveEmptyText) {
    EXPECT_EQ(Ask([&](HWND dialog) {
                  Type(GetDlgItem(dialog, kInputBoxEditId), L"Bob");
                  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
              }),
              L"");
    EXPECT_EQ(Ask([&](HWND dialog) {
                  HWND edit = GetDlgItem(dialog, kInputBoxEditId);
                  Type(edit, L"Bob");
                  PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
              }),
              L"");
    EXPECT_EQ(Ask([&](HWND dialog) {
                  Type(GetDlgItem(dialog, kInputBoxEditId), L"Bob");
                  PostMessageW(dialog, WM_CLOSE, 0, 0);
              }),
              L"");
}

class FolderPickerTest : public testing::Test {
  protected:
    void SetUp() override {
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override { DestroyWindow(owner); }

    std::wstring Pick(const std::function<void(HWND)>& answer) {
        return AnswerDialog<std::wstring>(
            [&] {
                return dialogs.PickFolder(reinterpret_cast<uintptr_t>(owner),
                                          L"Select the directory that TeamSpeak is installed in.");
            },
            answer);
    }

    Win32Dialogs dialogs;
    HWND owner = nullptr;
};

TEST_F(FolderPickerTest, CancelGivesEmptyText) {
    bool ownedByWindow = false, showsInstruction = false;
    const std::wstring picked = Pick([&](HWND dialog) {
        ownedByWindow = GetWindow(dialog, GW_OWNER) == owner;
        showsInstruction =
            FindChildWithText(dialog, L"Select the directory that TeamSpeak is installed in.");
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(picked, L"");
    EXPECT_TRUE(ownedByWindow);
    EXPECT_TRUE(showsInstruction);
}

TEST_F(FolderPickerTest, OkGivesTheChosenFoldersPath) {
    const std::wstring picked = Pick([&](HWND dialog) {
        HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
        if (tree) {
            auto root =
                reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
        }
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_FALSE(picked.empty());
    EXPECT_EQ(picked.find(L'\0'), std::wstring::npos);
    const DWORD attributes = GetFileAttributesW(picked.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << std::string(picked.begin(), picked.end());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

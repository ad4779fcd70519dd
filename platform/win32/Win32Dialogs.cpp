#include "platform/win32/Win32Dialogs.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32Helpers.h"

namespace {

// ---------------------------------------------------------------- input box

// Builds an extended dialog template in memory, so the input box needs no resource
// in whichever program links this file.
class DialogTemplate {
  public:
    DialogTemplate(const std::wstring& title, short width, short height, WORD itemCount) {
        Add16(1);       // dlgVer
        Add16(0xFFFF);  // signature: extended template
        Add32(0);       // helpID
        Add32(0);       // exStyle
        Add32(DS_SHELLFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        Add16(itemCount);
        AddCoordinates(0, 0, width, height);
        Add16(0);  // no menu
        Add16(0);  // the standard dialog class
        AddText(title);
        Add16(8);  // point size
        Add16(FW_NORMAL);
        Add16(DEFAULT_CHARSET << 8);  // not italic; the system's character set
        AddText(L"MS Shell Dlg");
    }

    void AddItem(WORD classAtom, const std::wstring& text, DWORD style, short x, short y,
                 short width, short height, DWORD id) {
        AlignToDword();
        Add32(0);  // helpID
        Add32(0);  // exStyle
        Add32(style | WS_CHILD | WS_VISIBLE);
        AddCoordinates(x, y, width, height);
        Add32(id);
        Add16(0xFFFF);  // predefined class given by its atom
        Add16(classAtom);
        AddText(text);
        Add16(0);  // no creation data
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void Add16(WORD value) { words_.push_back(value); }
    void Add32(DWORD value) {
        Add16(LOWORD(value));
        Add16(HIWORD(value));
    }
    void AddCoordinates(short x, short y, short width, short height) {
        for (short value : {x, y, width, height}) Add16(static_cast<WORD>(value));
    }
    void AddText(const std::wstring& text) {
        for (wchar_t c : text) Add16(static_cast<WORD>(c));
        Add16(0);
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0) Add16(0);
    }

    std::vector<WORD>
        words_;  // WORD storage keeps the template WORD-aligned; DWORD items are padded
};

constexpr WORD kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082;

struct InputBoxState {
    std::wstring prompt;
    std::wstring answer;
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* state = reinterpret_cast<InputBoxState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetDlgItemTextW(dialog, kInputBoxPromptId, state->prompt.c_str());
            SetFocus(GetDlgItem(dialog, kInputBoxEditId));
            return FALSE;  // the focus is set above
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state =
                    reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
                state->answer = WindowText(GetDlgItem(dialog, kInputBoxEditId));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {  // Cancel, Esc and the close box
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

DialogTemplate InputBoxTemplate(const std::wstring& title) {
    // Dialog units: the prompt on the left, the buttons on the right, the field below.
    DialogTemplate dialog(title, 240, 84, 4);
    dialog.AddItem(kStaticAtom, L"", SS_LEFT | SS_NOPREFIX, 7, 7, 170, 48, kInputBoxPromptId);
    dialog.AddItem(kButtonAtom, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 185, 7, 48, 14, IDOK);
    dialog.AddItem(kButtonAtom, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 185, 25, 48, 14, IDCANCEL);
    dialog.AddItem(kEditAtom, L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 62, 226, 13,
                   kInputBoxEditId);
    return dialog;
}

// ---------------------------------------------------------------- folder picker

// The picker's calls, from the shell's and COM's libraries. They are loaded the first
// time the picker is needed, not at every start: most starts never show it, and the two
// libraries bring more with them (the shell's helpers, COM's runtime). Both are known
// system libraries, which Windows loads from its own folder only. Once loaded they stay
// for the rest of the run.
struct FolderPickerCalls {
    decltype(&SHBrowseForFolderW) browseForFolder = nullptr;
    decltype(&SHGetPathFromIDListEx) pathFromItemList = nullptr;
    decltype(&CoInitializeEx) initialiseCom = nullptr;
    decltype(&CoUninitialize) uninitialiseCom = nullptr;
    decltype(&CoTaskMemFree) freeComMemory = nullptr;
};

HMODULE LoadSystemLibrary(const wchar_t* name) {
    HMODULE library = LoadLibraryW(name);
    if (library == nullptr) throw LastErrorFailure();
    return library;
}

template <typename Function>
void Resolve(HMODULE library, const char* name, Function& function) {
    const FARPROC address = GetProcAddress(library, name);
    if (address == nullptr) throw LastErrorFailure();
    // Through the generic function type, which the compiler accepts for any function.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The calls, loaded on first use. A failure is thrown to the caller, and the next use
// tries again.
const FolderPickerCalls& PickerCalls() {
    static FolderPickerCalls loaded;  // one user-interface thread; no locking needed
    if (loaded.browseForFolder != nullptr) return loaded;
    FolderPickerCalls calls;
    const HMODULE shell = LoadSystemLibrary(L"shell32.dll");
    const HMODULE com = LoadSystemLibrary(L"ole32.dll");
    Resolve(shell, "SHBrowseForFolderW", calls.browseForFolder);
    Resolve(shell, "SHGetPathFromIDListEx", calls.pathFromItemList);
    Resolve(com, "CoInitializeEx", calls.initialiseCom);
    Resolve(com, "CoUninitialize", calls.uninitialiseCom);
    Resolve(com, "CoTaskMemFree", calls.freeComMemory);
    loaded = calls;
    return loaded;
}

// The picker needs COM on this thread; the program's thread may or may not have it.
class ComApartment {
  public:
    explicit ComApartment(const FolderPickerCalls& calls)
        : calls_(calls),
          initialised_(SUCCEEDED(calls.initialiseCom(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (initialised_) calls_.uninitialiseCom();
    }

  private:
    const FolderPickerCalls& calls_;
    bool initialised_;
};

std::wstring PathOfItemList(const FolderPickerCalls& calls, PCIDLIST_ABSOLUTE items) {
    // Long enough for any path the file system allows, not only MAX_PATH.
    std::vector<wchar_t> buffer(32768, L'\0');
    if (!calls.pathFromItemList(items, buffer.data(), static_cast<DWORD>(buffer.size()),
                                GPFIDL_DEFAULT)) {
        return std::wstring();  // not a file-system folder
    }
    return std::wstring(buffer.data());
}

}  // namespace

int Win32Dialogs::ShowMessageBox(const std::wstring& text, const std::wstring& title,
                                 unsigned flags) {
    // No owner: the main window is still hidden while these questions are asked.
    return MessageBoxW(nullptr, text.c_str(), title.c_str(), flags);
}

std::wstring Win32Dialogs::InputBox(const std::wstring& prompt, const std::wstring& title) {
    InputBoxState state{prompt, std::wstring()};
    const DialogTemplate dialog = InputBoxTemplate(title);
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr,
                                                   InputBoxProc, reinterpret_cast<LPARAM>(&state));
    if (result == -1) throw LastErrorFailure();
    return result == IDOK ? state.answer : std::wstring();
}

std::wstring Win32Dialogs::PickFolder(uintptr_t owner, const std::wstring& instruction) {
    const FolderPickerCalls& calls = PickerCalls();
    ComApartment com(calls);
    BROWSEINFOW info{};
    info.hwndOwner = reinterpret_cast<HWND>(owner);
    info.lpszTitle = instruction.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    PIDLIST_ABSOLUTE items = calls.browseForFolder(&info);
    if (items == nullptr) return std::wstring();  // cancelled
    std::wstring path = PathOfItemList(calls, items);
    calls.freeComMemory(items);
    return path;
}

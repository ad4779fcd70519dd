#pragma once
// The few Windows helpers the program, its tools and its benchmarks share: the program's
// own folder, UTF-16 to UTF-8, a window's text, and handles that give themselves back.

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

// The program file's full path, however long; throws PlatformFailure.
std::wstring ProgramFilePath();
// The folder that holds the program file, without a trailing backslash.
std::wstring ProgramFolder();

// The text as UTF-8; throws PlatformFailure.
std::string Utf8(const std::wstring& text);

// A window's or control's whole text, of this process or another (WM_GETTEXT).
std::wstring WindowText(HWND window);

// A font, brush or other GDI object, deleted when it goes.
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteGdiObject>;

// A registry key, closed when it goes.
struct CloseRegistryKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueRegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, CloseRegistryKey>;

// Memory the system handed out with LocalAlloc, freed when it goes.
struct FreeLocal {
    void operator()(void* memory) const { LocalFree(memory); }
};
template <typename T>
using UniqueLocal = std::unique_ptr<T, FreeLocal>;

// The screen's device context for as long as it lives.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

#pragma once
// The text of a window or control of this program, whole.

#include <windows.h>

#include <string>

std::wstring WindowText(HWND window);

#pragma once
// The text of a window or control of this program, whole.

#include <string>

#include <windows.h>

std::wstring WindowText(HWND window);

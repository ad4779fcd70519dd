#pragma once
// The text of a window or control of this program, whole.

#include <string>

#include "platform/win32/WindowsApi.h"

std::wstring WindowText(HWND window);

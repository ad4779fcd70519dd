// Windows' own descriptions of error codes, for the error reports.

#include "platform/win32/SystemMessage.h"

#include <windows.h>

#include "ipc/NumberText.h"
#include "platform/win32/Win32Helpers.h"

std::wstring SystemMessageText(uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocal<wchar_t> owned(buffer);
    if (length == 0 || buffer == nullptr) return L"Error " + DecimalText<wchar_t>(code);
    std::wstring text(buffer, length);
    // The system ends its texts with a line break (and sometimes a blank before it).
    const size_t end = text.find_last_not_of(L" \r\n");
    text.erase(end == std::wstring::npos ? 0 : end + 1);
    return text.empty() ? L"Error " + DecimalText<wchar_t>(code) : text;
}

PlatformFailure FailureFor(uint32_t code) {
    return PlatformFailure(SystemMessageText(code));
}

PlatformFailure LastErrorFailure() {
    return FailureFor(GetLastError());
}

// Failures no part of the program handles, kept out of the system's window code.

#include "platform/win32/UnhandledFailure.h"

#include <windows.h>

#include <new>

#include "platform/PlatformFailure.h"

namespace {

std::exception_ptr keptFailure;  // one user-interface thread; no locking needed

std::wstring FromSystemText(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

}  // namespace

void KeepUnhandledFailure(std::exception_ptr failure) {
    if (!keptFailure) keptFailure = failure;
    PostQuitMessage(1);
}

std::exception_ptr TakeUnhandledFailure() {
    std::exception_ptr failure = keptFailure;
    keptFailure = nullptr;
    return failure;
}

std::wstring DescribeFailure(std::exception_ptr failure) {
    if (!failure) return L"Unknown failure";
    try {
        std::rethrow_exception(failure);
    } catch (const PlatformFailure& platformFailure) {
        return platformFailure.Description();
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& other) {
        return FromSystemText(other.what());
    } catch (...) {
        return L"Unknown failure";
    }
}

void ShowFailureReport(std::exception_ptr failure) {
    const std::wstring text = L"Run-time error:\r\n\r\n" + DescribeFailure(failure);
    MessageBoxW(nullptr, text.c_str(), L"Brenvale", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

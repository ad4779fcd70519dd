// Failures no part of the program handles, kept out of the system's window code.

#include "platform/win32/UnhandledFailure.h"

#include <windows.h>

#include <new>

#include "app/ShownTexts.h"
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
    if (!failure) return shown::kUnknownFailure;
    try {
        std::rethrow_exception(failure);
    } catch (const PlatformFailure& platformFailure) {
        return platformFailure.Description();
    } catch (const std::bad_alloc&) {
        return shown::kOutOfMemory;
    } catch (const std::exception& other) {
        return FromSystemText(other.what());
    } catch (...) {
        return shown::kUnknownFailure;
    }
}

void ShowFailureReport(std::exception_ptr failure) {
    const std::wstring text = shown::kRunTimeError + DescribeFailure(failure);
    MessageBoxW(nullptr, text.c_str(), shown::kProgramName,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

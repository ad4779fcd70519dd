// The simulator link's system services over the real Windows calls.

#include "platform/win32/Win32IpcTransport.h"

#include <windows.h>

namespace {

HWND AsWindow(uintptr_t window) {
    return reinterpret_cast<HWND>(window);
}
HANDLE AsHandle(uintptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The reply is a 32-bit value. On 64-bit Windows a wider answer must not pass for
// "processed" just because its low half reads 1, so it becomes 0 (bad data).
uint32_t ReplyAs32Bits(DWORD_PTR answer) {
    const auto value = static_cast<LONG_PTR>(answer);
    const bool fits =
        value == static_cast<int32_t>(value) || answer == static_cast<uint32_t>(answer);
    return fits ? static_cast<uint32_t>(answer) : 0;
}

}  // namespace

uintptr_t Win32IpcTransport::FindServerWindow(const char* className) {
    return reinterpret_cast<uintptr_t>(FindWindowExA(nullptr, nullptr, className, nullptr));
}

uint32_t Win32IpcTransport::RegisterMessage(const char* name) {
    return RegisterWindowMessageA(name);
}

uint32_t Win32IpcTransport::CurrentProcessId() {
    return GetCurrentProcessId();
}

uint16_t Win32IpcTransport::AddGlobalAtom(const char* name) {
    return GlobalAddAtomA(name);
}

void Win32IpcTransport::DeleteGlobalAtom(uint16_t atom) {
    GlobalDeleteAtom(atom);
}

IpcTransport::Mapping Win32IpcTransport::CreateMapping(const char* name, uint32_t size) {
    // The last error tells whether the name was taken; clear it so that a stale
    // ERROR_ALREADY_EXISTS from an earlier call cannot be mistaken for ours.
    SetLastError(ERROR_SUCCESS);
    HANDLE handle =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
    Mapping mapping;
    mapping.handle = reinterpret_cast<uintptr_t>(handle);
    mapping.alreadyExisted = handle != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    return mapping;
}

uint8_t* Win32IpcTransport::MapView(uintptr_t mapping) {
    return static_cast<uint8_t*>(MapViewOfFile(AsHandle(mapping), FILE_MAP_WRITE, 0, 0, 0));
}

void Win32IpcTransport::UnmapView(uint8_t* view) {
    UnmapViewOfFile(view);
}

void Win32IpcTransport::CloseMapping(uintptr_t mapping) {
    CloseHandle(AsHandle(mapping));
}

bool Win32IpcTransport::SendWithTimeout(uintptr_t window, uint32_t message, int32_t wParam,
                                        int32_t lParam, uint32_t timeoutMs, uint32_t& reply) {
    // The atom travels sign-extended: on 64-bit Windows the upper half of WPARAM
    // repeats the 32-bit value's top bit, exactly as the server expects it.
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeoutA(AsWindow(window), message,
                                       static_cast<WPARAM>(static_cast<LONG_PTR>(wParam)),
                                       static_cast<LPARAM>(lParam), SMTO_BLOCK, timeoutMs, &answer);
    if (sent == 0) return false;
    reply = ReplyAs32Bits(answer);
    return true;
}

void Win32IpcTransport::ClearLastError() {
    SetLastError(ERROR_SUCCESS);
}

uint32_t Win32IpcTransport::LastError() {
    return GetLastError();
}

void Win32IpcTransport::Sleep(uint32_t milliseconds) {
    if (firstPauseWork_ == nullptr) {
        ::Sleep(milliseconds);
        return;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const auto work = firstPauseWork_;
    firstPauseWork_ = nullptr;
    work();
    QueryPerformanceCounter(&end);
    const double spentMs = static_cast<double>(end.QuadPart - start.QuadPart) * 1000 /
                           static_cast<double>(frequency.QuadPart);
    // Rounded up by a millisecond: the pause is never shorter than asked.
    if (spentMs < milliseconds) ::Sleep(static_cast<DWORD>(milliseconds - spentMs) + 1);
}

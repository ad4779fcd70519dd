#pragma once
// The simulator link's system services, done with the real Windows calls.

#include "ipc/IpcTransport.h"

class Win32IpcTransport : public IpcTransport {
  public:
    Win32IpcTransport() = default;
    // `firstPauseWork` runs once, at the start of the first pause, which still lasts its
    // whole time. At start that pause, the handshake's, is the program's only idle time
    // before its window: work done in it is not waited for afterwards.
    explicit Win32IpcTransport(void (*firstPauseWork)()) : firstPauseWork_(firstPauseWork) {}

    uintptr_t FindServerWindow(const char* className) override;
    uint32_t RegisterMessage(const char* name) override;
    uint32_t CurrentProcessId() override;

    uint16_t AddGlobalAtom(const char* name) override;
    void DeleteGlobalAtom(uint16_t atom) override;

    Mapping CreateMapping(const char* name, uint32_t size) override;
    uint8_t* MapView(uintptr_t mapping) override;
    void UnmapView(uint8_t* view) override;
    void CloseMapping(uintptr_t mapping) override;

    bool SendWithTimeout(uintptr_t window, uint32_t message, int32_t wParam, int32_t lParam,
                         uint32_t timeoutMs, uint32_t& reply) override;
    void ClearLastError() override;
    uint32_t LastError() override;

    void Sleep(uint32_t milliseconds) override;

  private:
    void (*firstPauseWork_)() = nullptr;
};

#pragma once
// The few system services the simulator link needs, behind one interface so that
// the link runs natively against an in-process fake server and on Windows against
// the real calls. Handles are opaque numbers; 0 always means "none".

#include <cstdint>

class IpcTransport {
  public:
    virtual ~IpcTransport() = default;

    // Top-level window of the given class, or 0.
    virtual uintptr_t FindServerWindow(const char* className) = 0;
    // System-wide number of a registered message, or 0.
    virtual uint32_t RegisterMessage(const char* name) = 0;
    virtual uint32_t CurrentProcessId() = 0;

    // Global atom for a name, or 0.
    virtual uint16_t AddGlobalAtom(const char* name) = 0;
    virtual void DeleteGlobalAtom(uint16_t atom) = 0;

    struct Mapping {
        uintptr_t handle = 0;         // 0 when the mapping could not be created
        bool alreadyExisted = false;  // a mapping of that name existed before
    };
    // A named shared-memory mapping of `size` bytes backed by the paging file.
    virtual Mapping CreateMapping(const char* name, uint32_t size) = 0;
    // A read-write view of the whole mapping, or nullptr.
    virtual uint8_t* MapView(uintptr_t mapping) = 0;
    virtual void UnmapView(uint8_t* view) = 0;
    virtual void CloseMapping(uintptr_t mapping) = 0;

    // Sends a message and waits for the answer without handling other messages.
    // True when the receiver answered within the time-out; `reply` then holds its answer.
    virtual bool SendWithTimeout(uintptr_t window, uint32_t message, int32_t wParam, int32_t lParam,
                                 uint32_t timeoutMs, uint32_t& reply) = 0;
    virtual void ClearLastError() = 0;
    virtual uint32_t LastError() = 0;

    virtual void Sleep(uint32_t milliseconds) = 0;
};

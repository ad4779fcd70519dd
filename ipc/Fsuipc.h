#pragma once
// The client end of the FSUIPC link: finds the server's window, creates the shared
// request area, checks the server's version, and exchanges queued reads and writes.
// One Fsuipc object is the program's one link; it never shows anything itself.

#include <cstddef>
#include <cstdint>

#include "IpcResult.h"
#include "IpcTransport.h"
#include "RequestArea.h"

// The link state, field for field as the server protocol describes it.
struct IpcLink {
    int32_t ServerVersion = 0;   // offset 0x3304, read during the handshake
    uint32_t SimVersion = 0;     // offset 0x3308: 0xFADE signature, simulator number
    uint16_t ClientVersion = 0;  // written to 0x330A; nothing assigns it
    uintptr_t ServerWindow = 0;
    uint32_t MessageId = 0;
    int32_t MappingAtom = 0;  // the 16-bit atom, sign-extended
    uintptr_t MappingHandle = 0;
    uint8_t* ViewBase = nullptr;     // non-null exactly while the link is open
    uint8_t* NextRequest = nullptr;  // where the next request record goes
};

constexpr uint32_t kServerVersionOffset = 0x3304;
constexpr uint32_t kSimVersionOffset = 0x3308;
constexpr uint32_t kClientVersionOffset = 0x330A;
// The pause after each pass of the version handshake: an open against a running
// simulator waits it once.
constexpr uint32_t kHandshakePauseMs = 100;

class Fsuipc {
  public:
    explicit Fsuipc(IpcTransport& transport) : transport_(transport) {}
    // Gives back whatever the link holds on every way out, so the global atom does not
    // outlive the process. The transport must outlive the link.
    ~Fsuipc();
    Fsuipc(const Fsuipc&) = delete;
    Fsuipc& operator=(const Fsuipc&) = delete;

    void IpcInit();
    bool IpcOpen(int32_t requestedSimulator, IpcResult& result);
    void IpcClose();

    // Queues a read of `size` bytes at `offset`; the next successful IpcProcess
    // copies them to `destination` (nullptr: nowhere), which must stay valid until then.
    bool IpcRead(uint32_t offset, int32_t size, void* destination, IpcResult& result);
    // Queues a write; the bytes are copied at once.
    bool IpcWrite(uint32_t offset, int32_t size, const void* source, IpcResult& result);
    // Sends everything queued and distributes the replies; the area is empty afterwards.
    bool IpcProcess(IpcResult& result);

    const IpcLink& Link() const { return link_; }
    // The name given to the atom and the mapping, e.g. "FSASMLIB:IPC:1A4:1".
    static void MakeMappingName(uint32_t processId, char (&name)[24]);

  private:
    bool IsOpen() const { return link_.ViewBase != nullptr; }
    size_t QueuedBytes() const { return static_cast<size_t>(link_.NextRequest - link_.ViewBase); }
    bool FindServer(bool& foundAsFs98, IpcResult& result);
    bool CreateArea(IpcResult& result);
    bool FailAndClose(IpcResult code, IpcResult& result);
    bool Handshake(IpcResult& result);
    bool VersionsValid() const;
    bool ExchangeAndWalk(IpcResult& result);
    bool SendWithRetries(uint32_t& reply);

    IpcTransport& transport_;
    IpcLink link_;
    ReadDestinations reads_;
};

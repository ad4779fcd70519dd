#include "ipc/Fsuipc.h"

#include <cstring>
#include <string>

#include "ipc/NumberText.h"

namespace {

const char kServerClass[] = "UIPCMAIN";
const char kFs98ServerClass[] = "FS98MAIN";
const char kMessageName[] = "FSASMLIB:IPC";

constexpr int kHandshakePasses = 5;
constexpr int32_t kLowestServerVersion = 0x19980005;
constexpr uint32_t kSignatureMask = 0xFFFF0000;
constexpr uint32_t kSimSignature = 0xFADE0000;
constexpr uint32_t kSimNumberMask = 0x0000FFFF;

constexpr uint32_t kSendTimeoutMs = 2000;
constexpr int kSendRetries = 10;
constexpr uint32_t kRetryPauseMs = 100;
constexpr uint32_t kServerProcessed = 1;

}  // namespace

void Fsuipc::MakeMappingName(uint32_t processId, char (&name)[24]) {
    const std::string text = std::string(kMessageName) + ":" + HexText<char>(processId) + ":1";
    // At most 23 characters (eight hex digits) for any process id; cut like a bounded copy.
    const size_t length = text.size() < sizeof name ? text.size() : sizeof name - 1;
    std::memcpy(name, text.data(), length);
    name[length] = '\0';
}

Fsuipc::~Fsuipc() {
    IpcClose();
}

void Fsuipc::IpcInit() {
    link_.ServerWindow = 0;
    link_.MessageId = 0;
    link_.MappingAtom = 0;
    link_.MappingHandle = 0;
    link_.ViewBase = nullptr;
    link_.NextRequest = nullptr;
    reads_.Clear();
}

bool Fsuipc::IpcOpen(int32_t requestedSimulator, IpcResult& result) {
    link_.ServerVersion = 0;
    link_.SimVersion = 0;
    if (IsOpen()) {
        result = IpcAlreadyOpen;
        return false;
    }
    bool foundAsFs98 = false;
    if (!FindServer(foundAsFs98, result) || !CreateArea(result)) return false;
    if (!Handshake(result)) {
        IpcClose();
        return false;
    }
    if (!VersionsValid()) {
        // An FS98-class window without valid versions is usually WideClient with no
        // simulator behind it.
        return FailAndClose(foundAsFs98 ? IpcSimNotRunning : IpcBadServerVersion, result);
    }
    link_.SimVersion &= kSimNumberMask;
    if (requestedSimulator != 0 && requestedSimulator != static_cast<int32_t>(link_.SimVersion)) {
        return FailAndClose(IpcWrongSimulator, result);
    }
    result = IpcOk;
    return true;
}

bool Fsuipc::FindServer(bool& foundAsFs98, IpcResult& result) {
    link_.ServerWindow = transport_.FindServerWindow(kServerClass);
    if (link_.ServerWindow == 0) {
        link_.ServerWindow = transport_.FindServerWindow(kFs98ServerClass);
        foundAsFs98 = true;
    }
    if (link_.ServerWindow == 0) {
        result = IpcServerNotFound;
        return false;
    }
    link_.MessageId = transport_.RegisterMessage(kMessageName);
    if (link_.MessageId == 0) {
        result = IpcMessageNotRegistered;
        return false;
    }
    return true;
}

bool Fsuipc::CreateArea(IpcResult& result) {
    char name[24];
    MakeMappingName(transport_.CurrentProcessId(), name);
    // Held sign-extended: that is how the atom travels as wParam.
    link_.MappingAtom = static_cast<int16_t>(transport_.AddGlobalAtom(name));
    if (link_.MappingAtom == 0) return FailAndClose(IpcAtomFailed, result);

    const IpcTransport::Mapping mapping = transport_.CreateMapping(name, kIpcAreaSize);
    link_.MappingHandle = mapping.handle;
    // Someone else's area under our name is never used: close our handle to it.
    if (mapping.handle == 0 || mapping.alreadyExisted) {
        return FailAndClose(IpcMappingFailed, result);
    }
    link_.ViewBase = transport_.MapView(link_.MappingHandle);
    if (link_.ViewBase == nullptr) return FailAndClose(IpcViewFailed, result);

    link_.NextRequest = link_.ViewBase;
    reads_.Clear();
    return true;
}

bool Fsuipc::FailAndClose(IpcResult code, IpcResult& result) {
    result = code;
    IpcClose();
    return false;
}

bool Fsuipc::Handshake(IpcResult& result) {
    for (int pass = 0; pass < kHandshakePasses; ++pass) {
        if (link_.ServerVersion != 0 && link_.SimVersion != 0) break;
        if (!IpcRead(kServerVersionOffset, 4, &link_.ServerVersion, result)) return false;
        if (!IpcRead(kSimVersionOffset, 4, &link_.SimVersion, result)) return false;
        // Only the first pass's write decides anything; later ones are sent regardless.
        if (!IpcWrite(kClientVersionOffset, 2, &link_.ClientVersion, result) && pass == 0) {
            return false;
        }
        if (!IpcProcess(result)) return false;
        transport_.Sleep(kHandshakePauseMs);
    }
    return true;
}

bool Fsuipc::VersionsValid() const {
    return link_.ServerVersion >= kLowestServerVersion &&
           (link_.SimVersion & kSignatureMask) == kSimSignature;
}

void Fsuipc::IpcClose() {
    link_.ServerWindow = 0;
    link_.MessageId = 0;
    link_.NextRequest = nullptr;
    reads_.Clear();
    if (link_.MappingAtom != 0) {
        transport_.DeleteGlobalAtom(static_cast<uint16_t>(link_.MappingAtom));
        link_.MappingAtom = 0;
    }
    if (link_.ViewBase != nullptr) {
        transport_.UnmapView(link_.ViewBase);
        link_.ViewBase = nullptr;
    }
    if (link_.MappingHandle != 0) {
        transport_.CloseMapping(link_.MappingHandle);
        link_.MappingHandle = 0;
    }
}

bool Fsuipc::IpcRead(uint32_t offset, int32_t size, void* destination, IpcResult& result) {
    if (!IsOpen()) {
        result = IpcNotOpen;
        return false;
    }
    const bool needsSlot = destination != nullptr;
    if (!RequestFits(QueuedBytes(), size, kReadHeaderSize) || (needsSlot && reads_.Full())) {
        result = IpcAreaFull;
        return false;
    }
    const uint32_t unsignedSize = static_cast<uint32_t>(size);
    const uint32_t id = needsSlot ? reads_.Add(destination, unsignedSize) : 0;
    link_.NextRequest =
        link_.ViewBase + PutReadRequest(link_.ViewBase, QueuedBytes(), offset, unsignedSize, id);
    result = IpcOk;
    return true;
}

bool Fsuipc::IpcWrite(uint32_t offset, int32_t size, const void* source, IpcResult& result) {
    if (!IsOpen()) {
        result = IpcNotOpen;
        return false;
    }
    // A write that names bytes but gives none to copy cannot be added either.
    if (!RequestFits(QueuedBytes(), size, kWriteHeaderSize) || (size > 0 && source == nullptr)) {
        result = IpcAreaFull;
        return false;
    }
    link_.NextRequest = link_.ViewBase + PutWriteRequest(link_.ViewBase, QueuedBytes(), offset,
                                                         static_cast<uint32_t>(size), source);
    result = IpcOk;
    return true;
}

bool Fsuipc::IpcProcess(IpcResult& result) {
    if (!IsOpen()) {
        result = IpcNotOpen;
        return false;
    }
    if (link_.NextRequest == link_.ViewBase) {
        result = IpcNothingQueued;
        return false;
    }
    PutEndOfRequests(link_.ViewBase, QueuedBytes());
    // From here the batch is consumed, whatever the outcome.
    link_.NextRequest = link_.ViewBase;
    const bool done = ExchangeAndWalk(result);
    reads_.Clear();
    return done;
}

bool Fsuipc::ExchangeAndWalk(IpcResult& result) {
    uint32_t reply = 0;
    if (!SendWithRetries(reply)) {
        result = transport_.LastError() == 0 ? IpcTimedOut : IpcSendFailed;
        return false;
    }
    if (reply != kServerProcessed ||
        WalkReplies(link_.ViewBase, kIpcAreaSize, reads_) != ReplyWalk::Ended) {
        result = IpcBadReply;
        return false;
    }
    result = IpcOk;
    return true;
}

bool Fsuipc::SendWithRetries(uint32_t& reply) {
    for (int attempt = 0; attempt <= kSendRetries; ++attempt) {
        if (attempt > 0) transport_.Sleep(kRetryPauseMs);
        // The send does not always set the last error when it fails.
        transport_.ClearLastError();
        if (transport_.SendWithTimeout(link_.ServerWindow, link_.MessageId, link_.MappingAtom, 0,
                                       kSendTimeoutMs, reply)) {
            return true;
        }
    }
    return false;
}

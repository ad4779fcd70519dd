// One request message served: the client's area found by its atom and answered.

#include "tools/standin-sim/RequestMessage.h"

#include <windows.h>

#include <algorithm>

#include "tools/simserver/SimServerCore.h"

namespace {

// The writable bytes from `view` on, as the system sees them: never trust a client
// to have made its mapping as large as the protocol says.
size_t WritableBytesAt(void* view) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(view, &info, sizeof info) != sizeof info) return 0;
    if (info.State != MEM_COMMIT || info.BaseAddress != view) return 0;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY;
    if ((info.Protect & writable) == 0 || (info.Protect & PAGE_GUARD) != 0) return 0;
    return info.RegionSize;
}

uint32_t ServeMapping(SimServerCore& core, HANDLE mapping) {
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (view == nullptr) return kRejectedReply;
    const size_t size = std::min<size_t>(WritableBytesAt(view), kRequestAreaSize);
    const uint32_t reply =
        size == 0 ? kRejectedReply : core.ProcessArea(static_cast<uint8_t*>(view), size);
    UnmapViewOfFile(view);
    return reply;
}

}  // namespace

uint16_t AtomFromParam(uintptr_t wParam) {
    // A 32-bit client's sign-extended atom may reach a 64-bit server zero-extended
    // to 64 bits, so the upper half may be zero or repeat the lower half's top bit.
    const auto low = static_cast<uint32_t>(wParam);
    const uint64_t wide = wParam;
    const uint64_t upper = wide >> 32;
    const bool upperFits = upper == 0 || (upper == 0xFFFFFFFFu && (low & 0x80000000u) != 0);
    const bool lowFits = low <= 0xFFFFu || (low >= 0xFFFF8000u);
    if (!upperFits || !lowFits) return 0;
    return static_cast<uint16_t>(low & 0xFFFFu);
}

uint32_t ServeAreaRequest(SimServerCore& core, uintptr_t wParam) {
    const uint16_t atom = AtomFromParam(wParam);
    if (atom == 0) return kRejectedReply;
    char name[256];
    if (GlobalGetAtomNameA(atom, name, sizeof name) == 0) return kRejectedReply;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (mapping == nullptr) return kRejectedReply;
    const uint32_t reply = ServeMapping(core, mapping);
    CloseHandle(mapping);
    return reply;
}

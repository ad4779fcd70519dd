// Walks arbitrary server replies over arbitrary queued reads. The area is allocated to
// its exact size, so any read past it is caught by the address sanitizer; each
// destination sits between guard bytes, so any write past a queued size is caught here.
//
// Input: byte 0 = number of queued reads (low 6 bits); then 2 bytes per read (its size,
// low 6 bits, and whether it has a destination); the rest is the area as the server
// left it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "ipc/RequestArea.h"

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr size_t kGuardBytes = 8;
constexpr size_t kMaxReads = 63;

struct Slot {
    size_t start;  // first destination byte in the arena
    uint32_t size;
};

void CheckGuards(const std::vector<uint8_t>& arena, const std::vector<Slot>& slots) {
    size_t guardFrom = 0;
    for (const Slot& slot : slots) {
        for (size_t i = guardFrom; i < slot.start; ++i) {
            if (arena[i] != kGuard) std::abort();
        }
        guardFrom = slot.start + slot.size;
    }
    for (size_t i = guardFrom; i < arena.size(); ++i) {
        if (arena[i] != kGuard) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t readCount = std::min<size_t>(data[0] & 0x3F, kMaxReads);
    size_t at = 1;
    if (size - at < readCount * 2) return 0;

    static ReadDestinations reads;
    reads.Clear();
    std::vector<Slot> slots;
    std::vector<uint8_t> arena(kGuardBytes, kGuard);
    std::vector<bool> hasDestination;
    for (size_t i = 0; i < readCount; ++i, at += 2) {
        Slot slot{arena.size(), static_cast<uint32_t>(data[at] & 0x3F)};
        arena.insert(arena.end(), slot.size, 0);
        arena.insert(arena.end(), kGuardBytes, kGuard);
        slots.push_back(slot);
        hasDestination.push_back((data[at + 1] & 1) != 0);
    }
    // Destinations are registered only once the arena has stopped moving.
    for (size_t i = 0; i < readCount; ++i) {
        reads.Add(hasDestination[i] ? &arena[slots[i].start] : nullptr, slots[i].size);
    }

    const size_t areaSize = size - at;
    std::unique_ptr<uint8_t[]> area(new uint8_t[areaSize == 0 ? 1 : areaSize]);
    if (areaSize != 0) std::memcpy(area.get(), data + at, areaSize);

    const ReplyWalk outcome = WalkReplies(area.get(), areaSize, reads);
    if (outcome != ReplyWalk::Ended && outcome != ReplyWalk::BadRecord) std::abort();
    CheckGuards(arena, slots);
    return 0;
}

// Walks arbitrary server replies over arbitrary queued reads. The area and every
// destination are allocated to their exact size, so the address sanitizer catches any
// read past the area and any write past a queued size.
//
// Input: byte 0 = number of queued reads (low 6 bits); then 2 bytes per read (its size,
// low 6 bits, and whether it has a destination); the rest is the area as the server
// left it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ipc/RequestArea.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t readCount = data[0] & 0x3F;
    if (size - 1 < readCount * 2) return 0;

    static ReadDestinations reads;
    reads.Clear();
    std::vector<std::unique_ptr<uint8_t[]>> destinations;
    for (size_t i = 0; i < readCount; ++i) {
        const uint32_t bytes = data[1 + 2 * i] & 0x3F;
        destinations.emplace_back(new uint8_t[bytes]);
        reads.Add((data[2 + 2 * i] & 1) ? destinations.back().get() : nullptr, bytes);
    }
    const size_t at = 1 + readCount * 2;
    const std::vector<uint8_t> area(data + at, data + size);
    WalkReplies(area.data(), area.size(), reads);  // the sanitizers judge it
    return 0;
}

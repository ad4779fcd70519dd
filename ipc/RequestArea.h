#pragma once
// The byte format of the shared request area, on a plain byte span: queuing records,
// closing the batch, and walking the server's replies. Nothing here knows the link or
// the system, so any area, well-formed or not, can be built and walked by hand.
//
// Records lie back to back from the first byte, little-endian, closed by a terminator:
//   read   type 1 | offset | size n | destination id | n data bytes (filled by the server)
//   write  type 2 | offset | size n | n data bytes
//   end    type 0 (4 zero bytes)
// The destination field holds the client's own 1-based number of the queued read, never
// an address, so a reply can only ever reach a place the client itself queued.

#include <array>
#include <cstddef>
#include <cstdint>

constexpr uint32_t kIpcAreaSize = 0x8000;
// Records plus terminator never go past this; the rest of the area stays unused.
constexpr int32_t kIpcAreaLimit = 0x7F00;
constexpr uint32_t kReadHeaderSize = 16;
constexpr uint32_t kWriteHeaderSize = 12;
constexpr uint32_t kEndOfRequestsSize = 4;

enum RequestType : uint16_t {
    EndOfRequests = 0,
    ReadRequest = 1,
    WriteRequest = 2,
};

inline uint16_t LoadLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t LoadLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

inline void StoreLe32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
    bytes[2] = static_cast<uint8_t>(value >> 16);
    bytes[3] = static_cast<uint8_t>(value >> 24);
}

struct QueuedRead {
    void* destination = nullptr;
    uint32_t size = 0;
};

// Where the data of each read queued since the last exchange goes. A fixed table as
// large as the number of reads the area can hold, so queuing never allocates.
class ReadDestinations {
  public:
    static constexpr size_t kCapacity = (kIpcAreaLimit - kEndOfRequestsSize) / kReadHeaderSize;

    // The identifier to put in the read's destination field, or 0 when the table is full.
    uint32_t Add(void* destination, uint32_t size);
    // The queued read of that identifier; nullptr for 0 and for numbers never handed out.
    const QueuedRead* Find(uint32_t id) const;
    void Clear() { count_ = 0; }
    bool Full() const { return count_ == kCapacity; }

  private:
    std::array<QueuedRead, kCapacity> reads_{};
    size_t count_ = 0;
};

// The capacity rule: `used` + terminator + header + `size` must not exceed kIpcAreaLimit.
// Worked out in 64 bits, so a negative or huge size is simply refused.
bool RequestFits(size_t used, int32_t size, uint32_t headerSize);

// Each Put writes one record at `area + used` and returns the bytes in use after it.
// The caller has checked RequestFits (and, for a write, that `source` holds `size` bytes).
size_t PutReadRequest(uint8_t* area, size_t used, uint32_t offset, uint32_t size,
                      uint32_t destinationId);
size_t PutWriteRequest(uint8_t* area, size_t used, uint32_t offset, uint32_t size,
                       const void* source);
void PutEndOfRequests(uint8_t* area, size_t used);

enum class ReplyWalk {
    Ended,      // reached a type-0 record
    BadRecord,  // an unknown type, or a record running past the end of the area
};

// Copies the data of each read reply to its queued destination, at most the size that
// was queued, until the terminator. Reads only inside `area`'s `areaSize` bytes, and
// stops at the first record it cannot trust; what was copied before that stays.
ReplyWalk WalkReplies(const uint8_t* area, size_t areaSize, const ReadDestinations& reads);

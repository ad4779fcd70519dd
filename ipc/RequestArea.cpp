// The shared request area's byte format: queuing records and walking the replies.

#include "ipc/RequestArea.h"

#include <algorithm>
#include <cstring>

uint32_t ReadDestinations::Add(void* destination, uint32_t size) {
    if (Full()) return 0;
    reads_[count_] = QueuedRead{destination, size};
    ++count_;
    return static_cast<uint32_t>(count_);
}

const QueuedRead* ReadDestinations::Find(uint32_t id) const {
    if (id == 0 || id > count_) return nullptr;
    const QueuedRead& read = reads_[id - 1];
    return read.destination != nullptr ? &read : nullptr;
}

bool RequestFits(size_t used, int32_t size, uint32_t headerSize) {
    if (size < 0) return false;
    const int64_t total =
        static_cast<int64_t>(used) + kEndOfRequestsSize + static_cast<int64_t>(size) + headerSize;
    return total <= kIpcAreaLimit;
}

static uint8_t* PutHeader(uint8_t* record, RequestType type, uint32_t offset, uint32_t size) {
    StoreLe32(record, type);
    StoreLe32(record + 4, offset);
    StoreLe32(record + 8, size);
    return record + 12;
}

size_t PutReadRequest(uint8_t* area, size_t used, uint32_t offset, uint32_t size,
                      uint32_t destinationId) {
    uint8_t* record = area + used;
    StoreLe32(PutHeader(record, ReadRequest, offset, size), destinationId);
    // Zeroed, so a value the server does not supply reads as 0, not as old data.
    std::memset(record + kReadHeaderSize, 0, size);
    return used + kReadHeaderSize + size;
}

size_t PutWriteRequest(uint8_t* area, size_t used, uint32_t offset, uint32_t size,
                       const void* source) {
    uint8_t* data = PutHeader(area + used, WriteRequest, offset, size);
    if (size != 0) std::memcpy(data, source, size);
    return used + kWriteHeaderSize + size;
}

void PutEndOfRequests(uint8_t* area, size_t used) {
    StoreLe32(area + used, EndOfRequests);
}

static void CopyToDestination(const uint8_t* data, uint32_t size, const QueuedRead* read) {
    if (read == nullptr) return;
    const uint32_t count = std::min(size, read->size);
    if (count != 0) std::memcpy(read->destination, data, count);
}

// 0 for a type that is not a request.
static uint32_t HeaderSizeOf(uint16_t type) {
    if (type == ReadRequest) return kReadHeaderSize;
    if (type == WriteRequest) return kWriteHeaderSize;
    return 0;
}

ReplyWalk WalkReplies(const uint8_t* area, size_t areaSize, const ReadDestinations& reads) {
    size_t position = 0;  // never beyond areaSize, so areaSize - position cannot wrap
    for (;;) {
        const size_t left = areaSize - position;
        if (left < 2) return ReplyWalk::BadRecord;
        const uint8_t* record = area + position;
        // Only the first two bytes of the type field count.
        const uint16_t type = LoadLe16(record);
        if (type == EndOfRequests) return ReplyWalk::Ended;

        const uint32_t headerSize = HeaderSizeOf(type);
        if (headerSize == 0 || left < headerSize) return ReplyWalk::BadRecord;
        const uint32_t size = LoadLe32(record + 8);
        if (size > left - headerSize) return ReplyWalk::BadRecord;
        if (type == ReadRequest) {
            CopyToDestination(record + headerSize, size, reads.Find(LoadLe32(record + 12)));
        }
        position += headerSize + size;
    }
}

// The simulator side of the link: a client's request area worked through in place.

#include "tools/simserver/SimServerCore.h"

#include <algorithm>
#include <cstring>

#include "ipc/RequestArea.h"

namespace {

constexpr uint32_t kServerVersionOffset = 0x3304;
constexpr uint32_t kSimVersionOffset = 0x3308;
constexpr uint32_t kVersionsEnd = 0x330C;  // the two version values end here
constexpr uint32_t kClientVersionOffset = 0x330A;
constexpr uint32_t kClientVersionSize = 2;

}  // namespace

SimServerCore::SimServerCore() {
    SetServerVersion(kDefaultServerVersion);
    SetSimulator(kSimSignature, kDefaultSimulator);
    SetCom1Bcd(0x2280);
}

void SimServerCore::SetServerVersion(int32_t version) {
    StoreLe32(&data_[kServerVersionOffset], static_cast<uint32_t>(version));
}

void SimServerCore::SetSimulator(uint16_t signature, uint16_t number) {
    StoreLe32(&data_[kSimVersionOffset], (static_cast<uint32_t>(signature) << 16) | number);
}

void SimServerCore::SetCom1Bcd(uint16_t bcd) {
    data_[kCom1FrequencyOffset] = static_cast<uint8_t>(bcd);
    data_[kCom1FrequencyOffset + 1] = static_cast<uint8_t>(bcd >> 8);
}

uint16_t SimServerCore::Com1Bcd() const {
    return LoadLe16(&data_[kCom1FrequencyOffset]);
}

uint32_t SimServerCore::ProcessArea(uint8_t* area, size_t size) {
    ++exchangesServed_;
    if (area == nullptr) return kBadDataReply;
    size_t position = 0;  // never beyond size
    for (;;) {
        const size_t left = size - position;
        if (left < kEndOfRequestsSize) return kBadDataReply;
        uint8_t* record = area + position;
        const uint32_t type = LoadLe32(record);
        if (type == EndOfRequests) {
            if (behaviour_.malformedReply) StoreLe32(record, kUnknownRecordType);
            return behaviour_.replyValue;
        }
        size_t used = 0;
        if (type == ReadRequest) used = ServeRead(record, left);
        if (type == WriteRequest) used = TakeWrite(record, left);
        if (used == 0) return kBadDataReply;
        ++requestsServed_;
        position += used;
    }
}

// Bytes taken by the read record, or 0 when it cannot be served.
size_t SimServerCore::ServeRead(uint8_t* record, size_t left) {
    if (left < kReadHeaderSize) return 0;
    const uint32_t offset = LoadLe32(record + 4);
    const uint32_t size = LoadLe32(record + 8);
    if (size > left - kReadHeaderSize || !InDataSpace(offset, size)) return 0;
    uint8_t* data = record + kReadHeaderSize;
    std::memcpy(data, &data_[offset], size);
    if (behaviour_.zeroVersions) ZeroVersionBytes(data, offset, size);
    return kReadHeaderSize + size;
}

// Bytes taken by the write record, or 0 when it cannot be served. Only the client
// version is taken; the simulator ignores writes anywhere else.
size_t SimServerCore::TakeWrite(const uint8_t* record, size_t left) {
    if (left < kWriteHeaderSize) return 0;
    const uint32_t offset = LoadLe32(record + 4);
    const uint32_t size = LoadLe32(record + 8);
    if (size > left - kWriteHeaderSize || !InDataSpace(offset, size)) return 0;
    // The client version is noted apart: the bytes at 0x330A keep reading as the
    // signature half of 0x3308.
    if (offset == kClientVersionOffset && size == kClientVersionSize) {
        clientVersion_ = LoadLe16(record + kWriteHeaderSize);
    }
    return kWriteHeaderSize + size;
}

bool SimServerCore::InDataSpace(uint32_t offset, uint32_t size) const {
    return static_cast<uint64_t>(offset) + size <= data_.size();
}

void SimServerCore::ZeroVersionBytes(uint8_t* data, uint32_t offset, uint32_t size) const {
    const uint32_t from = std::max(offset, kServerVersionOffset);
    const uint32_t to = std::min(offset + size, kVersionsEnd);  // offset + size fits: checked
    if (from < to) std::memset(data + (from - offset), 0, to - from);
}

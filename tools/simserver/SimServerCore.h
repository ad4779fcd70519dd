#pragma once
// The simulator side of the link, free of any window code: holds the simulator's
// data by offset and works through a client's request area in place. The stand-in
// simulator program serves it over the real system calls; the native tests use it
// as their in-process server.

#include <array>
#include <cstddef>
#include <cstdint>

#include "ipc/Com1Frequency.h"

struct SimServerBehaviour {
    uint32_t replyValue = 1;      // what the server answers; 1 means "processed"
    bool zeroVersions = false;    // answer the version reads with zeros
    bool malformedReply = false;  // leave a record of an unknown type in the area
};

class SimServerCore {
  public:
    // What the simulator answers when it finds a record it cannot serve.
    static constexpr uint32_t kBadDataReply = 0;
    // The type the malformed-reply behaviour leaves where the terminator was.
    static constexpr uint16_t kUnknownRecordType = 0x0BAD;
    static constexpr int32_t kDefaultServerVersion = 0x19980005;
    static constexpr uint16_t kSimSignature = 0xFADE;
    static constexpr uint16_t kDefaultSimulator = 2;  // FS2K

    SimServerCore();

    void SetServerVersion(int32_t version);                  // offset 0x3304
    void SetSimulator(uint16_t signature, uint16_t number);  // offset 0x3308
    void SetCom1Bcd(uint16_t bcd);  // at kCom1FrequencyOffset, e.g. 0x2280 for 122.80
    uint16_t Com1Bcd() const;
    SimServerBehaviour& Behaviour() { return behaviour_; }

    // Works through the records of `area` (`size` bytes) up to the terminator: fills
    // each read's data from the data space, accepts the writes the simulator takes
    // (the 2-byte client version at 0x330A) and walks past the others. Never reads or writes
    // outside the area or the data space, whatever the records say. Returns the reply
    // value to answer with: the behaviour's reply value, or kBadDataReply when a record
    // has an unknown type, runs past the area, addresses bytes beyond the data space,
    // or no terminator is found.
    uint32_t ProcessArea(uint8_t* area, size_t size);

    // Read and write records served, over all exchanges.
    uint32_t RequestsServed() const { return requestsServed_; }
    // Calls of ProcessArea, whatever their outcome.
    uint32_t ExchangesServed() const { return exchangesServed_; }
    // The last client version written to 0x330A (2 bytes).
    uint16_t LastClientVersion() const { return clientVersion_; }

  private:
    size_t ServeRead(uint8_t* record, size_t left);
    size_t TakeWrite(const uint8_t* record, size_t left);
    bool InDataSpace(uint32_t offset, uint32_t size) const;
    void ZeroVersionBytes(uint8_t* data, uint32_t offset, uint32_t size) const;

    std::array<uint8_t, 0x10000> data_{};  // the simulator's data space, by offset
    SimServerBehaviour behaviour_;
    uint32_t requestsServed_ = 0;
    uint32_t exchangesServed_ = 0;
    uint16_t clientVersion_ = 0;
};

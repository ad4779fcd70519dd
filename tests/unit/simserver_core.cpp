// The in-process server: serving reads and writes, and staying inside the area and
// its data space whatever a client sends.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ipc/RequestArea.h"
#include "tools/simserver/SimServerCore.h"

namespace {

constexpr uint8_t kGuard = 0x5A;
constexpr size_t kGuardBytes = 64;

// An area with guard bytes after it, to show nothing is written past its end.
class ServerAreaTest : public ::testing::Test {
  protected:
    ServerAreaTest() : buffer(kIpcAreaSize + kGuardBytes, kGuard) {
        std::memset(buffer.data(), 0, kIpcAreaSize);
    }
    uint8_t* area() { return buffer.data(); }
    uint32_t Process(size_t size = kIpcAreaSize) { return server.ProcessArea(area(), size); }
    size_t Put(size_t at, uint32_t type, uint32_t offset, uint32_t size, size_t header) {
        StoreLe32(area() + at, type);
        StoreLe32(area() + at + 4, offset);
        StoreLe32(area() + at + 8, size);
        return at + header + size;
    }
    size_t PutRead(size_t at, uint32_t offset, uint32_t size) {
        return Put(at, ReadRequest, offset, size, kReadHeaderSize);
    }
    size_t PutWrite(size_t at, uint32_t offset, const std::vector<uint8_t>& data) {
        std::memcpy(area() + at + kWriteHeaderSize, data.data(), data.size());
        return Put(at, WriteRequest, offset, static_cast<uint32_t>(data.size()), kWriteHeaderSize);
    }
    bool GuardsIntact() const {
        for (size_t i = kIpcAreaSize; i < buffer.size(); ++i) {
            if (buffer[i] != kGuard) return false;
        }
        return true;
    }

    std::vector<uint8_t> buffer;
    SimServerCore server;
};

}  // namespace

TEST_F(ServerAreaTest, FillsReadsAndTakesOnlyTheClientVersion) {
    server.SetCom1Bcd(0x2345);
    size_t at = PutRead(0, 0x3304, 4);
    at = PutWrite(at, 0x330A, {0x07, 0x00});
    at = PutWrite(at, 0x330A, {0x09});             // not the 2-byte client version
    at = PutWrite(at, kCom1Offset, {0x00, 0x01});  // the simulator ignores it
    at = PutRead(at, kCom1Offset, 2);
    const size_t com1Data = at - 2;
    const size_t simVersionData = at + kReadHeaderSize;
    at = PutRead(at, 0x3308, 4);
    StoreLe32(area() + at, EndOfRequests);

    EXPECT_EQ(Process(), 1u);
    EXPECT_EQ(LoadLe32(area() + 16), 0x19980005u);
    EXPECT_EQ(LoadLe16(area() + com1Data), 0x2345);
    EXPECT_EQ(server.Com1Bcd(), 0x2345);
    EXPECT_EQ(server.LastClientVersion(), 7);
    EXPECT_EQ(LoadLe32(area() + simVersionData), 0xFADE0002u)
        << "the client version does not overwrite the signature it overlaps";
    EXPECT_EQ(server.RequestsServed(), 6u);
    EXPECT_EQ(server.ExchangesServed(), 1u);
}

TEST_F(ServerAreaTest, BehavioursBlankVersionsAndSpoilTheReply) {
    server.Behaviour().zeroVersions = true;
    server.SetCom1Bcd(0x1234);
    size_t at = PutRead(0, 0x3300, 16);
    at = PutRead(at, kCom1Offset, 2);
    StoreLe32(area() + at, EndOfRequests);
    std::memset(area() + 16, 0xFF, 16);  // stale bytes where the data goes
    EXPECT_EQ(Process(), 1u);
    EXPECT_EQ(std::vector<uint8_t>(area() + 16, area() + 32), std::vector<uint8_t>(16, 0));
    EXPECT_EQ(LoadLe16(area() + at - 2), 0x1234) << "only the version bytes are blanked";

    server.Behaviour() = {2, false, true};
    at = PutRead(0, kCom1Offset, 2);
    StoreLe32(area() + at, EndOfRequests);
    EXPECT_EQ(Process(), 2u);
    EXPECT_EQ(LoadLe16(area() + at), SimServerCore::kUnknownRecordType);
    ReadDestinations reads;
    EXPECT_EQ(WalkReplies(area(), kIpcAreaSize, reads), ReplyWalk::BadRecord);
}

TEST_F(ServerAreaTest, MalformedAreasAreBadDataAndNothingIsWrittenPastThem) {
    PutRead(0, 0, 0xFFFFFFFFu);
    EXPECT_EQ(Process(), SimServerCore::kBadDataReply);
    PutRead(0, 0, kIpcAreaSize - 16 + 1);
    EXPECT_EQ(Process(), SimServerCore::kBadDataReply);
    PutWrite(0, 0x330A, {});
    StoreLe32(area() + 8, kIpcAreaSize);  // claims more than is left
    EXPECT_EQ(Process(), SimServerCore::kBadDataReply);

    PutRead(0, 0, kIpcAreaSize - 16);  // fills the area exactly: no room for a terminator
    EXPECT_EQ(Process(), SimServerCore::kBadDataReply);
    EXPECT_EQ(server.RequestsServed(), 1u);

    StoreLe32(area(), 3);
    EXPECT_EQ(Process(), SimServerCore::kBadDataReply);
    StoreLe32(area(), 0x00010001);  // servers read the full type field
    EXPECT_EQ(Process(), SimServerCore::kBadDataReply);
    StoreLe32(area(), ReadRequest);
    EXPECT_EQ(Process(10), SimServerCore::kBadDataReply) << "header cut by the end";
    EXPECT_EQ(Process(3), SimServerCore::kBadDataReply) << "no room for a type";
    EXPECT_EQ(server.ProcessArea(nullptr, 100), SimServerCore::kBadDataReply);
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(ServerAreaTest, OffsetsBeyondTheDataSpaceAreBadData) {
    size_t at = PutRead(0, 0xFFFE, 2);
    StoreLe32(area() + at, EndOfRequests);
    EXPECT_EQ(Process(), 1u) << "the last two bytes of the data space";

    for (uint32_t offset : {0xFFFFu, 0x10000u, 0xFFFFFFFFu}) {
        at = PutRead(0, offset, 2);
        StoreLe32(area() + at, EndOfRequests);
        EXPECT_EQ(Process(), SimServerCore::kBadDataReply) << std::hex << offset;
        at = PutWrite(0, offset, {1, 2});
        StoreLe32(area() + at, EndOfRequests);
        EXPECT_EQ(Process(), SimServerCore::kBadDataReply) << std::hex << offset;
    }
}

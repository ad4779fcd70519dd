// The request area on a plain byte span: record layout, the capacity rule and the
// reply walk over well-formed and malformed areas.

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "ipc/RequestArea.h"

namespace {

constexpr uint8_t kFill = 0xEE;

struct Area {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kIpcAreaSize, kFill);
    uint8_t* data() { return bytes.data(); }
    uint32_t At(size_t position) const { return LoadLe32(&bytes[position]); }
};

// A hand-built record, as a server might leave it.
size_t PutRecord(Area& area, size_t position, uint32_t type, uint32_t offset, uint32_t size,
                 uint32_t destinationId, std::vector<uint8_t> data) {
    StoreLe32(&area.bytes[position], type);
    StoreLe32(&area.bytes[position + 4], offset);
    StoreLe32(&area.bytes[position + 8], size);
    size_t header = 12;
    if ((type & 0xFFFF) == ReadRequest) {
        StoreLe32(&area.bytes[position + 12], destinationId);
        header = 16;
    }
    std::memcpy(&area.bytes[position + header], data.data(), data.size());
    return position + header + data.size();
}

}  // namespace

TEST(RequestAreaLayout, ReadOfTwoBytesThenTerminator) {
    Area area;
    const size_t used = PutReadRequest(area.data(), 0, 0x034E, 2, 7);
    PutEndOfRequests(area.data(), used);

    EXPECT_EQ(used, 18u);
    EXPECT_EQ(area.At(0), 1u);
    EXPECT_EQ(area.At(4), 0x034Eu);
    EXPECT_EQ(area.At(8), 2u);
    EXPECT_EQ(area.At(12), 7u);
    EXPECT_EQ(area.bytes[16], 0) << "a read's data space starts zeroed";
    EXPECT_EQ(area.bytes[17], 0);
    EXPECT_EQ(area.At(18), 0u);
    EXPECT_EQ(area.bytes[22], kFill) << "nothing written past the terminator";
}

TEST(RequestAreaLayout, WriteFollowsReadWithoutPadding) {
    Area area;
    const uint8_t value[2] = {0x34, 0x12};
    size_t used = PutReadRequest(area.data(), 0, 0x034E, 2, 1);
    used = PutWriteRequest(area.data(), used, 0x330A, 2, value);
    PutEndOfRequests(area.data(), used);

    EXPECT_EQ(used, 32u);
    EXPECT_EQ(area.At(18), 2u);
    EXPECT_EQ(area.At(22), 0x330Au);
    EXPECT_EQ(area.At(26), 2u);
    EXPECT_EQ(area.bytes[30], 0x34);
    EXPECT_EQ(area.bytes[31], 0x12);
    EXPECT_EQ(area.At(32), 0u);
}

TEST(RequestAreaLayout, SizeZeroIsAHeaderAlone) {
    Area area;
    EXPECT_EQ(PutReadRequest(area.data(), 0, 0x3304, 0, 0), 16u);
    EXPECT_EQ(PutWriteRequest(area.data(), 16, 0x330A, 0, nullptr), 28u);
    EXPECT_EQ(area.bytes[28], kFill);
}

TEST(RequestAreaCapacity, ExactLimitAcceptedOneMoreRefused) {
    const int32_t largestRead = kIpcAreaLimit - 4 - 16;
    EXPECT_TRUE(RequestFits(0, largestRead, kReadHeaderSize));
    EXPECT_FALSE(RequestFits(0, largestRead + 1, kReadHeaderSize));
    EXPECT_TRUE(RequestFits(0, largestRead + 4, kWriteHeaderSize));
    EXPECT_FALSE(RequestFits(0, largestRead + 5, kWriteHeaderSize));
}

TEST(RequestAreaCapacity, CountsWhatIsAlreadyQueued) {
    EXPECT_TRUE(RequestFits(1000, kIpcAreaLimit - 1000 - 20, kReadHeaderSize));
    EXPECT_FALSE(RequestFits(1000, kIpcAreaLimit - 1000 - 19, kReadHeaderSize));
    EXPECT_FALSE(RequestFits(kIpcAreaLimit, 0, kWriteHeaderSize));
}

TEST(RequestAreaCapacity, NegativeAndHugeSizesNeverFit) {
    EXPECT_FALSE(RequestFits(0, -1, kReadHeaderSize));
    EXPECT_FALSE(RequestFits(0, -16, kReadHeaderSize)) << "n + h would be 0";
    EXPECT_FALSE(RequestFits(0, INT32_MIN, kWriteHeaderSize));
    EXPECT_FALSE(RequestFits(0, INT32_MAX, kReadHeaderSize)) << "n + h leaves 32 bits";
    EXPECT_FALSE(RequestFits(100, INT32_MAX - 20, kReadHeaderSize));
}

TEST(ReadDestinationTable, HoldsAsManyReadsAsTheAreaCan) {
    static ReadDestinations reads;  // large: kept off the stack
    reads.Clear();
    uint8_t byte = 0;
    EXPECT_EQ(ReadDestinations::kCapacity, 2031u);
    for (size_t i = 1; i <= ReadDestinations::kCapacity; ++i) {
        ASSERT_EQ(reads.Add(&byte, 1), i);
    }
    EXPECT_EQ(reads.Add(&byte, 1), 0u) << "full";
    EXPECT_EQ(reads.Find(0), nullptr);
    EXPECT_EQ(reads.Find(ReadDestinations::kCapacity + 1), nullptr);
    reads.Clear();
    EXPECT_EQ(reads.Find(1), nullptr) << "cleared numbers are no longer valid";
}

class ReplyWalkTest : public ::testing::Test {
  protected:
    ReplyWalk Walk() { return WalkReplies(area.data(), area.bytes.size(), reads); }

    Area area;
    ReadDestinations reads;
};

TEST_F(ReplyWalkTest, CopiesEachReadToItsDestinationAndSkipsWrites) {
    uint8_t com1[2] = {};
    uint8_t version[4] = {};
    const uint32_t com1Id = reads.Add(com1, 2);
    const uint32_t versionId = reads.Add(version, 4);
    size_t at = PutRecord(area, 0, ReadRequest, 0x034E, 2, com1Id, {0x80, 0x22});
    at = PutRecord(area, at, WriteRequest, 0x330A, 3, 0, {9, 9, 9});
    at = PutRecord(area, at, ReadRequest, 0x3304, 4, versionId, {5, 0, 0x98, 0x19});
    StoreLe32(&area.bytes[at], 0);

    EXPECT_EQ(Walk(), ReplyWalk::Ended);
    EXPECT_EQ(com1[0], 0x80);
    EXPECT_EQ(com1[1], 0x22);
    EXPECT_EQ(LoadLe32(version), 0x19980005u);
}

TEST_F(ReplyWalkTest, DestinationZeroAndSizeZeroCopyNothing) {
    std::array<uint8_t, 4> buffer = {1, 2, 3, 4};
    const uint32_t sizeZeroId = reads.Add(buffer.data(), 0);
    size_t at = PutRecord(area, 0, ReadRequest, 0x034E, 2, 0, {0xAA, 0xBB});
    at = PutRecord(area, at, ReadRequest, 0x034E, 0, sizeZeroId, {});
    StoreLe32(&area.bytes[at], 0);

    EXPECT_EQ(Walk(), ReplyWalk::Ended);
    EXPECT_EQ(buffer, (std::array<uint8_t, 4>{1, 2, 3, 4}));
}

TEST_F(ReplyWalkTest, TypeIsTakenFromItsFirstTwoBytesOnly) {
    uint8_t target[2] = {};
    const uint32_t id = reads.Add(target, 2);
    const size_t at = PutRecord(area, 0, 0xFFFF0000u | ReadRequest, 0x034E, 2, id, {7, 8});
    StoreLe32(&area.bytes[at], 0x12340000);
    // Past that terminator lies garbage the walk must not reach.
    StoreLe32(&area.bytes[at + 4], 0x7777);

    EXPECT_EQ(Walk(), ReplyWalk::Ended);
    EXPECT_EQ(target[1], 8);
}

TEST_F(ReplyWalkTest, UnknownTypeStopsAfterEarlierCopies) {
    uint8_t first[2] = {};
    uint8_t second[2] = {};
    const uint32_t firstId = reads.Add(first, 2);
    const uint32_t secondId = reads.Add(second, 2);
    size_t at = PutRecord(area, 0, ReadRequest, 0x034E, 2, firstId, {1, 2});
    at = PutRecord(area, at, 3, 0, 0, 0, {});
    PutRecord(area, at, ReadRequest, 0x034E, 2, secondId, {3, 4});

    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);
    EXPECT_EQ(first[1], 2);
    EXPECT_EQ(second[0], 0);
}

TEST_F(ReplyWalkTest, RecordRunningPastTheAreaIsBad) {
    uint8_t target[4] = {};
    const uint32_t id = reads.Add(target, 4);
    PutRecord(area, 0, ReadRequest, 0x034E, 0xFFFFFFF0u, id, {1, 2, 3, 4});
    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);
    EXPECT_EQ(target[0], 0) << "nothing copied from a record that does not fit";

    PutRecord(area, 0, WriteRequest, 0x330A, kIpcAreaSize - 12 + 1, 0, {});
    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);
}

TEST_F(ReplyWalkTest, HeaderCutByTheEndOfTheAreaIsBad) {
    // A read whose data ends 8 bytes before the end: the next header cannot fit.
    const uint32_t size = kIpcAreaSize - 16 - 8;
    PutRecord(area, 0, ReadRequest, 0, size, 0, {});
    StoreLe32(&area.bytes[kIpcAreaSize - 8], ReadRequest);
    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);
}

TEST_F(ReplyWalkTest, AreaWithoutTerminatorIsBad) {
    uint8_t target[2] = {};
    const uint32_t id = reads.Add(target, 2);
    // One write filling the area to its last byte, then a read squeezed before it.
    size_t at = PutRecord(area, 0, ReadRequest, 0x034E, 2, id, {5, 6});
    PutRecord(area, at, WriteRequest, 0, static_cast<uint32_t>(kIpcAreaSize - at - 12), 0, {});
    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);
    EXPECT_EQ(target[0], 5) << "reads before the fault keep their data";
}

TEST_F(ReplyWalkTest, TerminatorInTheLastTwoBytesEndsTheWalk) {
    PutRecord(area, 0, WriteRequest, 0, static_cast<uint32_t>(kIpcAreaSize - 12 - 2), 0, {});
    area.bytes[kIpcAreaSize - 2] = 0;
    area.bytes[kIpcAreaSize - 1] = 0;
    EXPECT_EQ(Walk(), ReplyWalk::Ended);
}

TEST_F(ReplyWalkTest, LargerSizeThanQueuedCopiesOnlyWhatWasQueued) {
    std::array<uint8_t, 4> target = {0, 0, 0xCC, 0xCC};  // two bytes queued, two guard bytes
    uint8_t after[1] = {};
    const uint32_t id = reads.Add(target.data(), 2);
    const uint32_t afterId = reads.Add(after, 1);
    size_t at = PutRecord(area, 0, ReadRequest, 0x034E, 4, id, {1, 2, 3, 4});
    at = PutRecord(area, at, ReadRequest, 0x034E, 1, afterId, {9});
    StoreLe32(&area.bytes[at], 0);

    EXPECT_EQ(Walk(), ReplyWalk::Ended);
    EXPECT_EQ(target, (std::array<uint8_t, 4>{1, 2, 0xCC, 0xCC}));
    EXPECT_EQ(after[0], 9) << "the walk still steps over all four data bytes";
}

TEST_F(ReplyWalkTest, RewrittenIdsReachOnlyQueuedDestinations) {
    std::array<uint8_t, 3> small = {0, 0xCC, 0xCC};  // one byte queued
    uint8_t large[8] = {};
    const uint32_t smallId = reads.Add(small.data(), 1);
    reads.Add(large, 8);
    // The server swapped the large read's number for the small one's, and made up others.
    size_t at = PutRecord(area, 0, ReadRequest, 0, 8, smallId, {1, 2, 3, 4, 5, 6, 7, 8});
    at = PutRecord(area, at, ReadRequest, 0, 2, 99, {0xAB, 0xAB});
    at = PutRecord(area, at, ReadRequest, 0, 2, 0xFFFFFFFF, {0xAB, 0xAB});
    StoreLe32(&area.bytes[at], 0);

    EXPECT_EQ(Walk(), ReplyWalk::Ended);
    EXPECT_EQ(small, (std::array<uint8_t, 3>{1, 0xCC, 0xCC}));
    EXPECT_EQ(large[0], 0);
}

TEST_F(ReplyWalkTest, ShortAreaIsNeverReadPastItsEnd) {
    // Walked over a tiny span (not the whole buffer): garbage after it must not count.
    StoreLe32(&area.bytes[0], ReadRequest);
    EXPECT_EQ(WalkReplies(area.data(), 1, reads), ReplyWalk::BadRecord);
    EXPECT_EQ(WalkReplies(area.data(), 12, reads), ReplyWalk::BadRecord);
    EXPECT_EQ(WalkReplies(area.data(), 0, reads), ReplyWalk::BadRecord);
}

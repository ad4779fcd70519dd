// The byte order of the request area's numbers, and the reply walk on a plain byte span
// over well-formed and malformed areas. The records' layout, the capacity rule and the
// table of queued reads are shown through the link.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ipc/RequestArea.h"

namespace {

constexpr uint8_t kFill = 0xEE;

using Area = std::vector<uint8_t>;

}  // namespace

TEST(RequestArea, NumbersTravelLeastSignificantByteFirst) {
    uint8_t bytes[4] = {};
    StoreLe32(bytes, 0x12345678);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4),
              (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(LoadLe32(bytes), 0x12345678u);
    EXPECT_EQ(LoadLe16(bytes), 0x5678);
}

TEST(RequestArea, AReadStartsWithZeroedData) {
    Area area = Area(kIpcAreaSize, kFill);
    EXPECT_EQ(PutReadRequest(area.data(), 0, 0x034E, 2, 7), 18u);
    EXPECT_EQ(LoadLe16(&area[16]), 0);
}

TEST(RequestArea, AFullTableOfReadsTakesNoMore) {
    static ReadDestinations reads;  // large: kept off the stack
    uint8_t byte = 0;
    for (size_t i = 0; i < ReadDestinations::kCapacity; ++i) reads.Add(&byte, 1);
    EXPECT_EQ(reads.Add(&byte, 1), 0u);
}

class ReplyWalkTest : public ::testing::Test {
  protected:
    ReplyWalk Walk() { return WalkReplies(area.data(), area.size(), reads); }

    // A hand-built record, as a server might leave it; returns where the next one goes.
    size_t Put(size_t at, uint32_t type, uint32_t size, uint32_t id, std::vector<uint8_t> data) {
        StoreLe32(&area[at], type);
        StoreLe32(&area[at + 4], 0x034E);
        StoreLe32(&area[at + 8], size);
        size_t header = kWriteHeaderSize;
        if ((type & 0xFFFF) == ReadRequest) {
            StoreLe32(&area[at + 12], id);
            header = kReadHeaderSize;
        }
        std::copy(data.begin(), data.end(), area.begin() + at + header);
        return at + header + data.size();
    }
    void End(size_t at, uint32_t terminator = 0) { StoreLe32(&area[at], terminator); }

    Area area = Area(kIpcAreaSize, kFill);
    ReadDestinations reads;
};

TEST_F(ReplyWalkTest, CopiesEachReadToItsOwnDestinationAndOnlyTheQueuedBytes) {
    uint8_t com1[2] = {}, large[8] = {};
    std::array<uint8_t, 4> pair = {0, 0, 0xCC, 0xCC}, sizeZero = {1, 2, 3, 4};
    std::array<uint8_t, 3> small = {0, 0xCC, 0xCC};
    const uint32_t com1Id = reads.Add(com1, 2);
    const uint32_t pairId = reads.Add(pair.data(), 2);
    const uint32_t smallId = reads.Add(small.data(), 1);
    reads.Add(large, 8);
    // Only the first two bytes of a type field count.
    size_t at = Put(0, 0xFFFF0000u | ReadRequest, 2, com1Id, {0x80, 0x22});
    at = Put(at, WriteRequest, 3, 0, {9, 9, 9});
    at = Put(at, ReadRequest, 2, 0, {0xAA, 0xBB});  // no destination
    at = Put(at, ReadRequest, 0, reads.Add(sizeZero.data(), 0), {});
    // The pair's size enlarged (the walk still steps over all of it), the large read's
    // number swapped for the small one's, and numbers never handed out.
    at = Put(at, ReadRequest, 4, pairId, {1, 2, 3, 4});
    at = Put(at, ReadRequest, 8, smallId, {1, 2, 3, 4, 5, 6, 7, 8});
    at = Put(at, ReadRequest, 2, 99, {0xAB, 0xAB});
    at = Put(at, ReadRequest, 2, 0xFFFFFFFF, {0xAB, 0xAB});
    End(at, 0x12340000);
    End(at + 4, 0x7777);  // garbage past the terminator the walk must not reach

    EXPECT_EQ(Walk(), ReplyWalk::Ended);
    EXPECT_EQ(LoadLe16(com1), 0x2280);
    EXPECT_EQ(sizeZero, (std::array<uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(pair, (std::array<uint8_t, 4>{1, 2, 0xCC, 0xCC}));
    EXPECT_EQ(small, (std::array<uint8_t, 3>{1, 0xCC, 0xCC}));
    EXPECT_EQ(large[0], 0);
}

TEST_F(ReplyWalkTest, BadRecordStopsTheWalkAfterEarlierCopies) {
    uint8_t first[2] = {};
    uint8_t second[2] = {};
    const uint32_t firstId = reads.Add(first, 2);
    size_t at = Put(0, ReadRequest, 2, firstId, {1, 2});
    at = Put(at, 3, 0, 0, {});
    Put(at, ReadRequest, 2, reads.Add(second, 2), {3, 4});

    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);
    EXPECT_EQ(first[1], 2);
    EXPECT_EQ(second[0], 0);

    // No terminator: a write filling the area to its last byte after the read.
    Put(at, WriteRequest, static_cast<uint32_t>(kIpcAreaSize - at - 12), 0, {});
    first[1] = 0;
    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);
    EXPECT_EQ(first[1], 2) << "reads before the fault keep their data";
}

TEST_F(ReplyWalkTest, RecordsAndHeadersCutByTheEndAreBad) {
    uint8_t target[4] = {};
    Put(0, ReadRequest, 0xFFFFFFF0u, reads.Add(target, 4), {1, 2, 3, 4});
    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);
    EXPECT_EQ(target[0], 0) << "nothing copied from a record that does not fit";

    Put(0, WriteRequest, kIpcAreaSize - 12 + 1, 0, {});
    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);

    Put(0, ReadRequest, kIpcAreaSize - 16 - 8, 0, {});  // next header would need 12 of 8
    End(kIpcAreaSize - 8, ReadRequest);
    EXPECT_EQ(Walk(), ReplyWalk::BadRecord);

    // Walked over exactly its own bytes: no room for a type after the last record, or a
    // header cut short. Nothing past the span may be read.
    Put(0, WriteRequest, 1, 0, {0});
    for (size_t span : {0, 1, 12, 13}) {
        const std::vector<uint8_t> exact(area.begin(), area.begin() + span);
        EXPECT_EQ(WalkReplies(exact.data(), span, reads), ReplyWalk::BadRecord) << span;
    }

    Put(0, WriteRequest, kIpcAreaSize - 12 - 2, 0, {});
    area[kIpcAreaSize - 2] = area[kIpcAreaSize - 1] = 0;
    EXPECT_EQ(Walk(), ReplyWalk::Ended) << "a terminator in the last two bytes still ends it";
}

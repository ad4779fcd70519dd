// Queuing and exchanging requests over an open link, served by the in-process fake.

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <vector>

#include "ipc/Fsuipc.h"
#include "tests/unit/FakeIpcTransport.h"

namespace {

constexpr int32_t kLargestRead = kIpcAreaLimit - 4 - 16;
constexpr uint32_t kTimeoutError = 1460;

class ExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link.IpcInit();
        ASSERT_TRUE(link.IpcOpen(0, result));
        transport.sends.clear();
        transport.sleeps.clear();
        transport.server.SetCom1Bcd(0x2280);
    }

    bool QueueCom1Read(uint8_t* destination) {
        return link.IpcRead(kCom1Offset, 2, destination, result);
    }
    void ExpectAreaEmpty() { EXPECT_EQ(link.Link().NextRequest, link.Link().ViewBase); }
    void FailSends(int count, uint32_t lastError) {
        for (int i = 0; i < count; ++i) transport.sendScript.push_back({false, lastError});
    }

    FakeIpcTransport transport;
    Fsuipc link{transport};
    IpcResult result = IpcOk;
};

}  // namespace

TEST(ExchangeClosedLink, EveryOperationRefusesWithNotOpen) {
    FakeIpcTransport transport;
    Fsuipc link(transport);
    link.IpcInit();
    uint8_t buffer[2] = {};
    IpcResult result = IpcOk;
    EXPECT_FALSE(link.IpcRead(kCom1Offset, 2, buffer, result));
    EXPECT_EQ(result, IpcNotOpen);
    result = IpcOk;
    EXPECT_FALSE(link.IpcWrite(0x330A, 2, buffer, result));
    EXPECT_EQ(result, IpcNotOpen);
    result = IpcOk;
    EXPECT_FALSE(link.IpcProcess(result));
    EXPECT_EQ(result, IpcNotOpen);
    EXPECT_TRUE(transport.sends.empty());
}

TEST_F(ExchangeTest, NothingQueuedSendsNothing) {
    EXPECT_FALSE(link.IpcProcess(result));
    EXPECT_EQ(result, IpcNothingQueued);
    EXPECT_TRUE(transport.sends.empty());
}

TEST_F(ExchangeTest, Com1ReadTravelsInOneMessageNamingTheArea) {
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    ASSERT_TRUE(link.IpcProcess(result));

    EXPECT_EQ(result, IpcOk);
    EXPECT_EQ(buffer[0], 0x80);
    EXPECT_EQ(buffer[1], 0x22);
    ASSERT_EQ(transport.sends.size(), 1u);
    const auto& sent = transport.sends[0];
    EXPECT_EQ(sent.window, 0x5150u);
    EXPECT_EQ(sent.message, transport.registeredMessage);
    EXPECT_EQ(sent.wParam, static_cast<int32_t>(0xFFFFC123)) << "atom sign-extended";
    EXPECT_EQ(sent.lParam, 0);
    EXPECT_EQ(sent.timeoutMs, 2000u);
    EXPECT_TRUE(transport.sleeps.empty());
    ExpectAreaEmpty();
}

TEST_F(ExchangeTest, ServerSeesRecordsAndTerminatorWhereTheyBelong) {
    std::vector<uint8_t> seen;
    transport.afterServe = [&](uint8_t* area) { seen.assign(area, area + 40); };
    uint8_t buffer[2] = {};
    const uint16_t clientVersion = 0x0102;
    ASSERT_TRUE(QueueCom1Read(buffer));
    ASSERT_TRUE(link.IpcWrite(0x330A, 2, &clientVersion, result));
    ASSERT_TRUE(link.IpcProcess(result));

    ASSERT_EQ(seen.size(), 40u);
    EXPECT_EQ(LoadLe32(&seen[0]), 1u);
    EXPECT_EQ(LoadLe32(&seen[12]), 1u) << "the destination field carries the read's number";
    EXPECT_EQ(LoadLe32(&seen[18]), 2u);
    EXPECT_EQ(LoadLe16(&seen[30]), 0x0102);
    EXPECT_EQ(LoadLe32(&seen[32]), 0u);
    EXPECT_EQ(transport.server.LastClientVersion(), 0x0102);
}

TEST_F(ExchangeTest, LargestReadFitsAndOneByteMoreIsRefused) {
    static std::array<uint8_t, kLargestRead + 1> big;  // static: too large for the stack
    big.fill(0xAA);
    EXPECT_FALSE(link.IpcRead(0, kLargestRead + 1, big.data(), result));
    EXPECT_EQ(result, IpcAreaFull);
    ExpectAreaEmpty();

    ASSERT_TRUE(link.IpcRead(0, kLargestRead, big.data(), result));
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(big[kCom1Offset], 0x80) << "the data space came back";
    EXPECT_EQ(big[kLargestRead], 0xAA) << "nothing copied beyond the queued size";
}

TEST_F(ExchangeTest, LargestWriteIsFourBytesLargerThanLargestRead) {
    static std::array<uint8_t, kLargestRead + 5> data{};
    EXPECT_FALSE(link.IpcWrite(0, kLargestRead + 5, data.data(), result));
    EXPECT_EQ(result, IpcAreaFull);
    EXPECT_TRUE(link.IpcWrite(0, kLargestRead + 4, data.data(), result));
    EXPECT_EQ(link.Link().NextRequest - link.Link().ViewBase, kIpcAreaLimit - 4);
}

TEST_F(ExchangeTest, RefusedRequestKeepsEarlierOnesQueued) {
    uint8_t buffer[2] = {};
    const uint32_t servedBefore = transport.server.RequestsServed();
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_FALSE(link.IpcRead(0, kLargestRead, nullptr, result));
    EXPECT_EQ(result, IpcAreaFull);
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(buffer[1], 0x22);
    EXPECT_EQ(transport.server.RequestsServed(), servedBefore + 1);
}

TEST_F(ExchangeTest, BadSizesAreRefusedWithoutTouchingTheArea) {
    uint8_t buffer[4] = {};
    for (int32_t size : {-1, -16, INT32_MIN, INT32_MAX, INT32_MAX - 15}) {
        EXPECT_FALSE(link.IpcRead(0, size, buffer, result)) << size;
        EXPECT_EQ(result, IpcAreaFull);
        EXPECT_FALSE(link.IpcWrite(0, size, buffer, result)) << size;
        EXPECT_EQ(result, IpcAreaFull);
    }
    EXPECT_FALSE(link.IpcWrite(0x330A, 2, nullptr, result)) << "no bytes to copy";
    EXPECT_EQ(result, IpcAreaFull);
    ExpectAreaEmpty();
    EXPECT_FALSE(link.IpcProcess(result));
    EXPECT_EQ(result, IpcNothingQueued);
}

TEST_F(ExchangeTest, ReadsWithoutDestinationOrSizeAreSentButCopyNothing) {
    std::array<uint8_t, 2> untouched = {0x11, 0x11};
    uint8_t buffer[2] = {};
    ASSERT_TRUE(link.IpcRead(kCom1Offset, 2, nullptr, result));
    ASSERT_TRUE(link.IpcRead(kCom1Offset, 0, untouched.data(), result));
    ASSERT_TRUE(QueueCom1Read(buffer));
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(untouched, (std::array<uint8_t, 2>{0x11, 0x11}));
    EXPECT_EQ(buffer[1], 0x22) << "the walk stepped past both to reach the third";
}

TEST_F(ExchangeTest, SecondSendSucceedsAfterOnePause) {
    FailSends(1, 0);
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(transport.sends.size(), 2u);
    EXPECT_EQ(transport.sleeps, std::vector<uint32_t>{100});
    EXPECT_EQ(buffer[1], 0x22);
    EXPECT_EQ(transport.sendsWithoutClear, 0);
}

TEST_F(ExchangeTest, TenthRetryStillCounts) {
    FailSends(10, kTimeoutError);
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(transport.sends.size(), 11u);
    EXPECT_EQ(transport.sleeps.size(), 10u);
}

TEST_F(ExchangeTest, ElevenFailedSendsReportTimeOutOrSendFailureByLastError) {
    for (uint32_t lastError : {0u, kTimeoutError}) {
        transport.sends.clear();
        transport.sleeps.clear();
        FailSends(11, lastError);
        uint8_t buffer[2] = {};
        ASSERT_TRUE(QueueCom1Read(buffer));
        EXPECT_FALSE(link.IpcProcess(result));
        EXPECT_EQ(result, lastError == 0 ? IpcTimedOut : IpcSendFailed);
        EXPECT_EQ(transport.sends.size(), 11u);
        EXPECT_EQ(transport.sleeps, std::vector<uint32_t>(10, 100));
        EXPECT_EQ(transport.sendsWithoutClear, 0) << "a stale error must not decide";
        EXPECT_EQ(buffer[1], 0);
        ExpectAreaEmpty();
    }
}

TEST_F(ExchangeTest, ReplyOtherThanOneWritesNoDestination) {
    for (uint32_t reply : {0u, 2u}) {
        transport.server.Behaviour().replyValue = reply;
        uint8_t buffer[2] = {};
        ASSERT_TRUE(QueueCom1Read(buffer));
        EXPECT_FALSE(link.IpcProcess(result));
        EXPECT_EQ(result, IpcBadReply);
        EXPECT_EQ(buffer[0], 0);
        ExpectAreaEmpty();
    }
}

TEST_F(ExchangeTest, UnknownRecordTypeIsABadReplyAfterEarlierCopies) {
    transport.server.Behaviour().malformedReply = true;
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_FALSE(link.IpcProcess(result));
    EXPECT_EQ(result, IpcBadReply);
    EXPECT_EQ(buffer[1], 0x22);
    ExpectAreaEmpty();

    transport.server.Behaviour().malformedReply = false;
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_TRUE(link.IpcProcess(result)) << "the next exchange starts clean";
}

TEST_F(ExchangeTest, RecordMadeToRunPastTheAreaIsABadReply) {
    transport.afterServe = [](uint8_t* area) { StoreLe32(area + 8, 0x7FFFFFFF); };
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_FALSE(link.IpcProcess(result));
    EXPECT_EQ(result, IpcBadReply);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(ExchangeTest, TamperedIdsAndSizesStayInsideQueuedDestinations) {
    // Records as queued: A (1 byte at 0x3308) at 0..16, B (2 bytes of COM1) at 17..34.
    transport.afterServe = [](uint8_t* area) {
        StoreLe32(area + 12, 0x41414141);  // A: a number never handed out
        StoreLe32(area + 17 + 8, 6);       // B: claims 6 bytes ...
        StoreLe32(area + 17 + 12, 1);      // ... and A's destination, which holds 1
        StoreLe32(area + 17 + 16 + 6, 0);  // a terminator after the longer record
    };
    std::array<uint8_t, 3> one = {0, 0xCC, 0xCC};
    std::array<uint8_t, 3> two = {0, 0, 0xCC};
    ASSERT_TRUE(link.IpcRead(kSimVersionOffset, 1, one.data(), result));
    ASSERT_TRUE(link.IpcRead(kCom1Offset, 2, two.data(), result));
    EXPECT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(one, (std::array<uint8_t, 3>{0x80, 0xCC, 0xCC}));
    EXPECT_EQ(two, (std::array<uint8_t, 3>{0, 0, 0xCC}));
}

TEST_F(ExchangeTest, UpperBytesOfTheTypeFieldAreIgnored) {
    transport.afterServe = [](uint8_t* area) {
        area[2] = 0xFF;  // the read's type field: 0xFFFF0001 still reads as 1
        area[3] = 0xFF;
        area[18 + 2] = 0x12;  // the terminator: 0x00120000 still reads as 0
    };
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(buffer[1], 0x22);
}

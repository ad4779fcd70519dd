// Queuing and exchanging requests over an open link, served by the in-process fake.

#include <gtest/gtest.h>

#include <algorithm>
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
    std::array<IpcResult, 3> results = {};
    EXPECT_FALSE(link.IpcRead(kCom1Offset, 2, buffer, results[0]));
    EXPECT_FALSE(link.IpcWrite(0x330A, 2, buffer, results[1]));
    EXPECT_FALSE(link.IpcProcess(results[2]));
    EXPECT_EQ(results, (std::array<IpcResult, 3>{IpcNotOpen, IpcNotOpen, IpcNotOpen}));
    EXPECT_TRUE(transport.sends.empty());
}

TEST_F(ExchangeTest, OneMessageCarriesTheQueuedRecordsAndTheirReplies) {
    std::vector<uint8_t> seen;
    transport.afterServe = [&](uint8_t* area) { seen.assign(area, area + 16); };
    uint8_t buffer[2] = {};
    const uint16_t clientVersion = 0x0102;
    ASSERT_TRUE(QueueCom1Read(buffer));
    ASSERT_TRUE(link.IpcWrite(0x330A, 2, &clientVersion, result));
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(LoadLe16(buffer), 0x2280);
    EXPECT_EQ(transport.server.LastClientVersion(), 0x0102);
    ASSERT_EQ(transport.sends.size(), 1u);
    const auto& sent = transport.sends[0];
    EXPECT_EQ(sent.window, 0x5150u);
    EXPECT_EQ(sent.message, transport.registeredMessage);
    EXPECT_EQ(sent.wParam, static_cast<int32_t>(0xFFFFC123)) << "atom sign-extended";
    EXPECT_EQ(sent.lParam, 0);
    EXPECT_EQ(sent.timeoutMs, 2000u);
    EXPECT_TRUE(transport.sleeps.empty());
    ExpectAreaEmpty();

    ASSERT_EQ(seen.size(), 16u);
    EXPECT_EQ(LoadLe32(&seen[12]), 1u) << "the destination field carries the read's number";
}

TEST_F(ExchangeTest, LargestReadAndWriteFitAndOneByteMoreIsRefused) {
    static std::array<uint8_t, kLargestRead + 5> big;  // static: too large for the stack
    big.fill(0xAA);
    EXPECT_FALSE(link.IpcRead(0, kLargestRead + 1, big.data(), result));
    EXPECT_EQ(result, IpcAreaFull);
    EXPECT_FALSE(link.IpcWrite(0, kLargestRead + 5, big.data(), result));
    EXPECT_EQ(result, IpcAreaFull);
    ExpectAreaEmpty();

    ASSERT_TRUE(link.IpcRead(0, kLargestRead, big.data(), result));
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(big[kCom1Offset], 0x80) << "the data space came back";
    EXPECT_EQ(big[kLargestRead], 0xAA) << "nothing copied beyond the queued size";

    EXPECT_TRUE(link.IpcWrite(0, kLargestRead + 4, big.data(), result));
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
    EXPECT_TRUE(transport.sends.empty());
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

TEST_F(ExchangeTest, TenRetriesWithPausesThenTimeOutOrSendFailureByLastError) {
    struct Case {
        int failures;
        uint32_t lastError;
        IpcResult expected;
    } const cases[] = {{1, 0, IpcOk},
                       {10, kTimeoutError, IpcOk},
                       {11, 0, IpcTimedOut},
                       {11, kTimeoutError, IpcSendFailed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failures);
        transport.sends.clear();
        transport.sleeps.clear();
        transport.sendScript.assign(c.failures, {false, c.lastError});
        uint8_t buffer[2] = {};
        ASSERT_TRUE(QueueCom1Read(buffer));
        EXPECT_EQ(link.IpcProcess(result), c.expected == IpcOk);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(transport.sends.size(), static_cast<size_t>(std::min(c.failures + 1, 11)));
        EXPECT_EQ(transport.sleeps, std::vector<uint32_t>(std::min(c.failures, 10), 100));
        EXPECT_EQ(buffer[1], c.expected == IpcOk ? 0x22 : 0);
        ExpectAreaEmpty();
    }
    EXPECT_EQ(transport.sendsWithoutClear, 0) << "a stale error must not decide";
}

TEST_F(ExchangeTest, BadRepliesWriteOnlyWhatCameBeforeTheFault) {
    struct Case {
        uint32_t reply;
        bool malformed;    // an unknown record type after the read
        uint8_t com1High;  // what reached the destination
    } const cases[] = {{0, false, 0}, {2, false, 0}, {1, true, 0x22}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        transport.server.Behaviour().replyValue = c.reply;
        transport.server.Behaviour().malformedReply = c.malformed;
        uint8_t buffer[2] = {};
        ASSERT_TRUE(QueueCom1Read(buffer));
        EXPECT_FALSE(link.IpcProcess(result));
        EXPECT_EQ(result, IpcBadReply);
        EXPECT_EQ(buffer[1], c.com1High);
        ExpectAreaEmpty();
    }
    transport.server.Behaviour() = {};
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_TRUE(link.IpcProcess(result)) << "the next exchange starts clean";
}

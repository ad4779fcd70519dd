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
        log.clear();
        transport.server.SetCom1Bcd(0x2280);
    }

    bool QueueCom1Read(uint8_t* destination) {
        return link.IpcRead(kCom1Offset, 2, destination, result);
    }
    void ExpectAreaEmpty() { EXPECT_EQ(link.Link().NextRequest, link.Link().ViewBase); }
    // The result a refused call leaves, whatever the result held before.
    template <typename Call>
    IpcResult Refusal(Call call) {
        result = IpcOk;
        EXPECT_FALSE(call());
        return result;
    }

    EventLog log;
    FakeIpcTransport transport{log};
    Fsuipc link{transport};
    IpcResult result = IpcOk;
};

}  // namespace

TEST(ExchangeClosedLink, EveryOperationRefusesWithNotOpen) {
    EventLog log;
    FakeIpcTransport transport(log);
    Fsuipc link(transport);
    link.IpcInit();
    uint8_t buffer[2] = {};
    std::array<IpcResult, 3> results = {};
    EXPECT_FALSE(link.IpcRead(kCom1Offset, 2, buffer, results[0]));
    EXPECT_FALSE(link.IpcWrite(0x330A, 2, buffer, results[1]));
    EXPECT_FALSE(link.IpcProcess(results[2]));
    EXPECT_EQ(results, (std::array<IpcResult, 3>{IpcNotOpen, IpcNotOpen, IpcNotOpen}));
    EXPECT_TRUE(log.empty());
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
    // To the window 0x5150, message 0xC0DE, the atom 0xC123 sign-extended, 2 s.
    EXPECT_EQ(transport.Calls("Send "), std::vector<std::string>{"20816 49374 -16093 0 2000"});
    EXPECT_TRUE(transport.Calls("Sleep ").empty());
    ExpectAreaEmpty();

    ASSERT_EQ(seen.size(), 16u);
    EXPECT_EQ(LoadLe32(&seen[12]), 1u) << "the destination field carries the read's number";
}

TEST_F(ExchangeTest, LargestReadAndWriteFitAndOneByteMoreIsRefused) {
    static std::array<uint8_t, kLargestRead + 5> big;  // static: too large for the stack
    big.fill(0xAA);
    EXPECT_EQ(Refusal([&] { return link.IpcRead(0, kLargestRead + 1, big.data(), result); }),
              IpcAreaFull);
    EXPECT_EQ(Refusal([&] { return link.IpcWrite(0, kLargestRead + 5, big.data(), result); }),
              IpcAreaFull);
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
        EXPECT_EQ(Refusal([&] { return link.IpcRead(0, size, buffer, result); }), IpcAreaFull);
        EXPECT_EQ(Refusal([&] { return link.IpcWrite(0, size, buffer, result); }), IpcAreaFull);
    }
    // A write with no bytes to copy.
    EXPECT_EQ(Refusal([&] { return link.IpcWrite(0x330A, 2, nullptr, result); }), IpcAreaFull);
    ExpectAreaEmpty();
    EXPECT_EQ(Refusal([&] { return link.IpcProcess(result); }), IpcNothingQueued);
    EXPECT_TRUE(log.empty());
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
        log.clear();
        transport.sendScript.assign(c.failures, {false, c.lastError});
        uint8_t buffer[2] = {};
        ASSERT_TRUE(QueueCom1Read(buffer));
        EXPECT_EQ(link.IpcProcess(result), c.expected == IpcOk);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(transport.Calls("Send ").size(),
                  static_cast<size_t>(std::min(c.failures + 1, 11)));
        EXPECT_EQ(transport.Calls("Sleep "),
                  std::vector<std::string>(std::min(c.failures, 10), "100"));
        EXPECT_EQ(buffer[1], c.expected == IpcOk ? 0x22 : 0);
        ExpectAreaEmpty();
        // A stale error must not decide: the error is cleared before every send.
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i].rfind("ipc:Send", 0) == 0) {
                EXPECT_EQ(log.at(i - 1), "ipc:ClearLastError");
            }
        }
    }
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

// A server that answers with an earlier exchange's read number (a stale copy, or simply
// wrong) reaches only what the current exchange queued.
TEST_F(ExchangeTest, ReadsOfAnEndedExchangeOrLinkAreNeverWrittenLater) {
    const auto answerAsFirstRead = [](uint8_t* area) { StoreLe32(area + 12, 1); };
    for (bool firstFails : {false, true}) {
        SCOPED_TRACE(firstFails);
        uint8_t early[2] = {};
        uint8_t late[2] = {};
        transport.server.SetCom1Bcd(0x2280);
        if (firstFails) transport.sendScript.assign(11, {false, 0});
        ASSERT_TRUE(QueueCom1Read(early));
        EXPECT_EQ(link.IpcProcess(result), !firstFails);
        const uint16_t earlyAfter = LoadLe16(early);

        transport.server.SetCom1Bcd(0x2345);
        ASSERT_TRUE(QueueCom1Read(late));
        transport.afterServe = answerAsFirstRead;
        EXPECT_TRUE(link.IpcProcess(result));
        transport.afterServe = nullptr;
        EXPECT_EQ(LoadLe16(early), earlyAfter);
        EXPECT_EQ(LoadLe16(late), 0x2345);
    }

    uint8_t beforeClose[2] = {};
    ASSERT_TRUE(QueueCom1Read(beforeClose));
    link.IpcClose();
    transport.afterServe = answerAsFirstRead;  // the reopening handshake's replies
    EXPECT_TRUE(link.IpcOpen(0, result));
    EXPECT_EQ(LoadLe16(beforeClose), 0);
}

// The simulator link over the in-process fake: opening and closing in order, the version
// handshake, giving back exactly what was taken, and exchanging queued requests.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "ipc/Fsuipc.h"
#include "tests/unit/FakeIpcTransport.h"

namespace {

const char kOurMapping[] = "FSASMLIB:IPC:1A4:1";
constexpr int32_t kLargestRead = kIpcAreaLimit - 4 - 16;
using Calls = std::vector<std::string>;

// The link, initialised, over the fake of its system services.
struct FakeLink {
    FakeLink() { link.IpcInit(); }
    bool Open(int32_t requestedSimulator = 0) {
        result = IpcAreaFull;  // whatever it held, the open says how it went
        return link.IpcOpen(requestedSimulator, result);
    }
    // Opens, then forgets the opening's calls.
    void OpenQuietly() {
        ASSERT_TRUE(Open());
        log.clear();
        transport.server.SetCom1Bcd(0x2280);
    }
    bool QueueCom1Read(void* destination) {
        return link.IpcRead(kCom1FrequencyOffset, 2, destination, result);
    }
    // The result a refused call leaves, whatever the result held before.
    IpcResult Refusal(const std::function<bool()>& call) {
        result = IpcOk;
        EXPECT_FALSE(call());
        return result;
    }
    // Every system object given back, and the window and message found forgotten.
    void ExpectReleased() {
        EXPECT_EQ(link.Link().ServerWindow, 0u);
        EXPECT_EQ(link.Link().MessageId, 0u);
        ExpectAreaReleased();
    }
    // The atom, the mapping and its view given back.
    void ExpectAreaReleased() {
        const IpcLink& state = link.Link();
        EXPECT_EQ(state.MappingAtom, 0);
        EXPECT_EQ(state.MappingHandle, 0u);
        EXPECT_EQ(state.ViewBase, nullptr);
        EXPECT_EQ(state.NextRequest, nullptr);
        EXPECT_TRUE(transport.HoldsNothing());
    }
    void ExpectAreaEmpty() { EXPECT_EQ(link.Link().NextRequest, link.Link().ViewBase); }
    size_t CallCount(const char* name) const { return transport.Calls(name).size(); }

    EventLog log;
    FakeIpcTransport transport{log};
    Fsuipc link{transport};
    IpcResult result = IpcOk;
};

class LinkTest : public ::testing::Test, public FakeLink {};

}  // namespace

TEST_F(LinkTest, OpensWithOneExchangeAndOnePauseAndClosesOnceHoweverOftenAsked) {
    const IpcLink& state = link.Link();
    ExpectReleased();  // a new link holds nothing
    link.IpcClose();   // never opened
    ASSERT_TRUE(Open());
    EXPECT_EQ(result, IpcOk);
    EXPECT_EQ(state.ServerVersion, 0x19980005);
    EXPECT_EQ(state.SimVersion, 2u) << "only the simulator number is kept";
    EXPECT_EQ(state.MappingAtom, static_cast<int32_t>(0xFFFFC123));
    ExpectAreaEmpty();
    EXPECT_EQ(transport.Calls("FindServerWindow "), Calls{"UIPCMAIN"});
    EXPECT_EQ(transport.Calls("AddGlobalAtom "), Calls{kOurMapping});
    EXPECT_EQ(transport.Calls("CreateMapping "), Calls{kOurMapping});
    EXPECT_EQ(transport.Calls("Sleep "), Calls{"100"});
    EXPECT_EQ(CallCount("Send "), 1u);
    EXPECT_EQ(transport.server.RequestsServed(), 3u) << "two version reads, one write";
    EXPECT_EQ(transport.server.LastClientVersion(), 0u) << "the client gives no version";
    // A second open is refused and leaves the link open, only its versions cleared.
    uint8_t* view = state.ViewBase;
    EXPECT_EQ(Refusal([&] { return link.IpcOpen(0, result); }), IpcAlreadyOpen);
    EXPECT_EQ(state.ViewBase, view);
    EXPECT_EQ(state.ServerVersion, 0);

    link.IpcClose();
    link.IpcClose();
    ExpectReleased();
    EXPECT_EQ(CallCount("DeleteGlobalAtom") + CallCount("UnmapView") + CallCount("CloseMapping"),
              3u);
}

// The version is compared signed: a set top bit is never new enough. Any answer other than
// 0 ends the handshake after its first pass, however wrong.
TEST_F(LinkTest, WrongOrMissingVersionsAreRefusedAndBehindAnFs98WindowMeanNoSimulator) {
    constexpr uint32_t kGood = SimServerCore::kDefaultServerVersion;
    const struct {
        const char* what;
        const char* windowClass;
        uint32_t serverVersion;
        uint16_t signature;
        bool zeroVersions;
        IpcResult expected;
        size_t passes;
    } cases[] = {
        {"too old", "UIPCMAIN", 0x19980004, 0xFADE, false, IpcBadServerVersion, 1},
        {"new with top bit", "UIPCMAIN", 0x99980005, 0xFADE, false, IpcBadServerVersion, 1},
        {"bad signature", "UIPCMAIN", kGood, 0xFADF, false, IpcBadServerVersion, 1},
        {"no signature", "UIPCMAIN", kGood, 0x0000, false, IpcBadServerVersion, 1},
        {"one version missing", "UIPCMAIN", 0, 0xFADE, false, IpcBadServerVersion, 5},
        {"both missing", "UIPCMAIN", kGood, 0xFADE, true, IpcBadServerVersion, 5},
        {"both missing, FS98", "FS98MAIN", kGood, 0xFADE, true, IpcSimNotRunning, 5},
        {"bad signature, FS98", "FS98MAIN", kGood, 0x0000, false, IpcSimNotRunning, 1},
        {"a good FS98-class server", "FS98MAIN", kGood, 0xFADE, false, IpcOk, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        transport.windows = {{c.windowClass, 0x98}};
        transport.server.SetServerVersion(static_cast<int32_t>(c.serverVersion));
        transport.server.SetSimulator(c.signature, 1);
        transport.server.Behaviour().zeroVersions = c.zeroVersions;
        log.clear();
        EXPECT_EQ(Open(), c.expected == IpcOk);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(transport.Calls("Sleep "), Calls(c.passes, "100"));
        EXPECT_EQ(CallCount("Send "), c.passes);
        const Calls searched = {"UIPCMAIN", "FS98MAIN"};  // the second only without the first
        EXPECT_EQ(
            transport.Calls("FindServerWindow "),
            Calls(searched.begin(), searched.begin() + (c.windowClass == searched[0] ? 1 : 2)));
        if (c.expected == IpcOk) link.IpcClose();  // a refused open gives everything back
        ExpectReleased();
    }
}

// A failing step of the open gives back exactly what was taken, and nothing else.
TEST(LinkFailureTest, EachFailingStepGivesBackExactlyWhatWasTaken) {
    using T = FakeIpcTransport;
    const struct {
        const char* name;
        std::function<void(T&)> arrange;
        IpcResult expected;
        size_t atomsDeleted, viewsUnmapped, mappingsClosed;
    } failures[] = {
        {"no server", [](T& t) { t.windows.clear(); }, IpcServerNotFound, 0, 0, 0},
        {"no message", [](T& t) { t.registeredMessage = 0; }, IpcMessageNotRegistered, 0, 0, 0},
        {"no atom", [](T& t) { t.failAtom = true; }, IpcAtomFailed, 0, 0, 0},
        {"no mapping", [](T& t) { t.failMapping = true; }, IpcMappingFailed, 1, 0, 0},
        {"mapping exists", [](T& t) { t.CreateForeignMapping(kOurMapping); }, IpcMappingFailed, 1,
         0, 1},
        {"no view", [](T& t) { t.failView = true; }, IpcViewFailed, 1, 0, 1},
        {"send fails",
         [](T& t) {
             t.sendScript.assign(11, T::SendOutcome{false, 5});
         },
         IpcSendFailed, 1, 1, 1},
        // A bad record type is reported, not a stale 0.
        {"bad reply", [](T& t) { t.server.Behaviour().malformedReply = true; }, IpcBadReply, 1, 1,
         1},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        FakeLink fresh;
        failure.arrange(fresh.transport);
        EXPECT_FALSE(fresh.Open());
        EXPECT_EQ(fresh.result, failure.expected);
        fresh.ExpectAreaReleased();
        EXPECT_EQ(fresh.CallCount("DeleteGlobalAtom"), failure.atomsDeleted);
        EXPECT_EQ(fresh.CallCount("UnmapView"), failure.viewsUnmapped);
        EXPECT_EQ(fresh.CallCount("CloseMapping"), failure.mappingsClosed);
        // Only someone else's mapping of our name outlives the failure.
        EXPECT_EQ(fresh.transport.MappingNamed(kOurMapping),
                  std::string(failure.name) == "mapping exists");
    }
}

// Ending the link object, however the program ends, gives back atom, view and handle,
// and nothing else.
TEST_F(LinkTest, DestroyingALinkReleasesEverythingItHolds) {
    {
        Fsuipc other(transport);
        other.IpcInit();
        ASSERT_TRUE(other.IpcOpen(0, result)) << result;
        ASSERT_FALSE(transport.HoldsNothing());
    }
    EXPECT_TRUE(transport.HoldsNothing());
}

// ---- exchanging requests

TEST_F(LinkTest, EveryOperationOfAClosedLinkRefusesWithNotOpen) {
    uint8_t buffer[2] = {};
    EXPECT_EQ(Refusal([&] { return QueueCom1Read(buffer); }), IpcNotOpen);
    EXPECT_EQ(Refusal([&] { return link.IpcWrite(0x330A, 2, buffer, result); }), IpcNotOpen);
    EXPECT_EQ(Refusal([&] { return link.IpcProcess(result); }), IpcNotOpen);
    EXPECT_TRUE(log.empty());
}

TEST_F(LinkTest, OneMessageCarriesTheQueuedRecordsAndCopiesEachReplyToItsPlace) {
    OpenQuietly();
    uint8_t com1[2] = {}, again[2] = {}, untouched[2] = {0x11, 0x11};
    const uint16_t clientVersion = 0x0102;
    ASSERT_TRUE(QueueCom1Read(com1));
    ASSERT_TRUE(link.IpcRead(kCom1FrequencyOffset, 2, nullptr, result));  // sent, copied nowhere
    ASSERT_TRUE(link.IpcRead(kCom1FrequencyOffset, 0, untouched, result));
    ASSERT_TRUE(link.IpcWrite(0, 0, nullptr, result)) << "no bytes: nothing to copy";
    result = IpcAreaFull;  // whatever it held, a success says so
    ASSERT_TRUE(link.IpcWrite(0x330A, 2, &clientVersion, result));
    EXPECT_EQ(result, IpcOk);
    ASSERT_TRUE(QueueCom1Read(again));
    result = IpcAreaFull;
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(result, IpcOk);
    EXPECT_EQ(LoadLe16(com1), 0x2280);
    EXPECT_EQ(LoadLe16(again), 0x2280) << "the walk stepped past the others to reach it";
    EXPECT_EQ(LoadLe16(untouched), 0x1111);
    EXPECT_EQ(transport.server.LastClientVersion(), 0x0102);
    // To the window 0x5150, message 0xC0DE, the atom 0xC123 sign-extended, 2 s.
    EXPECT_EQ(transport.Calls("Send "), Calls{"20816 49374 -16093 0 2000"});
    EXPECT_TRUE(transport.Calls("Sleep ").empty());
    ExpectAreaEmpty();
}

TEST_F(LinkTest, RequestsThatDoNotFitAreRefusedAndKeepEarlierOnesQueued) {
    OpenQuietly();
    static std::array<uint8_t, kLargestRead + 5> big;  // static: too large for the stack
    big.fill(0xAA);
    const auto read = [&](int32_t size) { return link.IpcRead(0, size, big.data(), result); };
    const auto write = [&](int32_t size) { return link.IpcWrite(0, size, big.data(), result); };
    EXPECT_EQ(Refusal([&] { return read(kLargestRead + 1); }), IpcAreaFull);
    EXPECT_EQ(Refusal([&] { return write(kLargestRead + 5); }), IpcAreaFull);
    for (int32_t size : {-1, -16, INT32_MIN, INT32_MAX, INT32_MAX - 15}) {
        EXPECT_EQ(Refusal([&] { return read(size); }), IpcAreaFull);
        EXPECT_EQ(Refusal([&] { return write(size); }), IpcAreaFull);
    }
    EXPECT_EQ(Refusal([&] { return link.IpcWrite(0x330A, 1, nullptr, result); }), IpcAreaFull);
    ExpectAreaEmpty();
    EXPECT_EQ(Refusal([&] { return link.IpcProcess(result); }), IpcNothingQueued);
    EXPECT_TRUE(log.empty());

    ASSERT_TRUE(read(kLargestRead));
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(big[kCom1FrequencyOffset], 0x80) << "the data space came back";
    EXPECT_EQ(big[kLargestRead], 0xAA) << "nothing copied beyond the queued size";
    EXPECT_TRUE(write(kLargestRead + 4));
    EXPECT_EQ(link.Link().NextRequest - link.Link().ViewBase, kIpcAreaLimit - 4);
    link.IpcClose();

    ASSERT_TRUE(Open());
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_EQ(Refusal([&] { return link.IpcRead(0, kLargestRead, nullptr, result); }), IpcAreaFull);
    ASSERT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(buffer[1], 0x22);
}

TEST_F(LinkTest, TenRetriesWithPausesThenTimeOutOrSendFailureByLastError) {
    OpenQuietly();
    constexpr uint32_t kTimeoutError = 1460;
    const struct {
        int failures;
        uint32_t lastError;
        IpcResult expected;
    } cases[] = {{1, 0, IpcOk},
                 {10, kTimeoutError, IpcOk},
                 {11, 0, IpcTimedOut},
                 {11, kTimeoutError, IpcSendFailed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failures);
        log.clear();
        transport.sendScript.assign(c.failures, {false, c.lastError});
        uint8_t buffer[2] = {};
        ASSERT_TRUE(QueueCom1Read(buffer));
        EXPECT_EQ(link.IpcProcess(result), c.expected == IpcOk);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(CallCount("Send "), static_cast<size_t>(std::min(c.failures + 1, 11)));
        EXPECT_EQ(transport.Calls("Sleep "), Calls(std::min(c.failures, 10), "100"));
        EXPECT_EQ(buffer[1], c.expected == IpcOk ? 0x22 : 0);
        ExpectAreaEmpty();
    }
    // A send that fails without setting the last error leaves an earlier attempt's there,
    // which must not decide.
    transport.sendScript.assign(10, {false, kTimeoutError});
    transport.sendScript.push_back({false, 0});
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_EQ(Refusal([&] { return link.IpcProcess(result); }), IpcTimedOut);
}

TEST_F(LinkTest, BadRepliesWriteOnlyWhatCameBeforeTheFault) {
    OpenQuietly();
    const struct {
        uint32_t reply;
        bool malformed;    // an unknown record type after the read
        uint8_t com1High;  // what reached the destination
    } cases[] = {{0, false, 0}, {2, false, 0}, {1, true, 0x22}};
    for (const auto& c : cases) {
        transport.server.Behaviour().replyValue = c.reply;
        transport.server.Behaviour().malformedReply = c.malformed;
        uint8_t buffer[2] = {};
        ASSERT_TRUE(QueueCom1Read(buffer));
        EXPECT_EQ(Refusal([&] { return link.IpcProcess(result); }), IpcBadReply);
        EXPECT_EQ(buffer[1], c.com1High) << c.reply;
        ExpectAreaEmpty();
    }
    transport.server.Behaviour() = {};
    uint8_t buffer[2] = {};
    ASSERT_TRUE(QueueCom1Read(buffer));
    EXPECT_TRUE(link.IpcProcess(result)) << "the next exchange starts clean";
}

// A server that answers with an earlier exchange's read number (a stale copy, or simply
// wrong) reaches only what the current exchange queued.
TEST_F(LinkTest, ReadsOfAnEndedExchangeOrLinkAreNeverWrittenLater) {
    OpenQuietly();
    const auto answerAsFirstRead = [](uint8_t* area) { StoreLe32(area + 12, 1); };
    for (bool firstFails : {false, true}) {
        SCOPED_TRACE(firstFails);
        uint8_t early[2] = {}, late[2] = {};
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
    EXPECT_TRUE(Open());
    EXPECT_EQ(LoadLe16(beforeClose), 0);
}

// Opening and closing the link: the order of steps, the version handshake, and that
// every failure gives back exactly what was taken.

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ipc/Fsuipc.h"
#include "tests/unit/FakeIpcTransport.h"

namespace {

const char kOurMapping[] = "FSASMLIB:IPC:1A4:1";

class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override { link.IpcInit(); }

    bool Open(int32_t requestedSimulator = 0) {
        result = IpcOk;
        return link.IpcOpen(requestedSimulator, result);
    }
    void ExpectNothingHeld() {
        EXPECT_EQ(link.Link().ServerWindow, 0u);
        EXPECT_EQ(link.Link().MessageId, 0u);
        ExpectReleased();
    }
    // Every system object given back; the window found may still be noted.
    void ExpectReleased() {
        const IpcLink& state = link.Link();
        EXPECT_EQ(state.MappingAtom, 0);
        EXPECT_EQ(state.MappingHandle, 0u);
        EXPECT_EQ(state.ViewBase, nullptr);
        EXPECT_EQ(state.NextRequest, nullptr);
        EXPECT_TRUE(transport.HoldsNothing());
    }
    size_t CallCount(const char* name) const { return transport.Calls(name).size(); }

    EventLog log;
    FakeIpcTransport transport{log};
    Fsuipc link{transport};
    IpcResult result = IpcOk;
};

std::string NameFor(uint32_t processId) {
    char name[24];
    std::memset(name, 'x', sizeof name);
    Fsuipc::MakeMappingName(processId, name);
    return name;
}

}  // namespace

TEST(IpcResults, NumbersAreFixedAndEachHasItsOwnText) {
    // The numbers index the texts a caption shows; no two codes may share one.
    // clang-format off
    const IpcResult inOrder[kIpcResultCount] = {
        IpcOk, IpcAlreadyOpen, IpcServerNotFound, IpcMessageNotRegistered, IpcAtomFailed,
        IpcMappingFailed, IpcViewFailed, IpcBadServerVersion, IpcWrongSimulator, IpcNotOpen,
        IpcNothingQueued, IpcTimedOut, IpcSendFailed, IpcBadReply, IpcSimNotRunning, IpcAreaFull};
    // clang-format on
    for (int code = 0; code < kIpcResultCount; ++code) EXPECT_EQ(inOrder[code], code);
    for (int code = 0; code < kIpcResultCount; ++code) {
        ASSERT_NE(kIpcResultTexts[code], nullptr);
        for (int other = 0; other < code; ++other) {
            EXPECT_NE(std::wcscmp(kIpcResultTexts[code], kIpcResultTexts[other]), 0) << code;
        }
    }
}

TEST(MappingName, ProcessIdInUpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(NameFor(0x1A4), kOurMapping);
    EXPECT_EQ(NameFor(0), "FSASMLIB:IPC:0:1");
    EXPECT_EQ(NameFor(0xFFFFFFFF), "FSASMLIB:IPC:FFFFFFFF:1") << "23 characters still fit";
}

TEST_F(LinkTest, OpensWithOneExchangeAndOnePause) {
    ASSERT_TRUE(Open());
    const IpcLink& state = link.Link();
    EXPECT_EQ(state.NextRequest, state.ViewBase);
    EXPECT_EQ(state.ServerVersion, 0x19980005);
    EXPECT_EQ(state.SimVersion, 2u) << "only the simulator number is kept";
    EXPECT_EQ(state.MappingAtom, static_cast<int32_t>(0xFFFFC123));
    EXPECT_EQ(transport.Calls("FindServerWindow "), std::vector<std::string>{"UIPCMAIN"});
    EXPECT_EQ(transport.Calls("AddAtom "), std::vector<std::string>{kOurMapping});
    EXPECT_EQ(transport.Calls("CreateMapping "), std::vector<std::string>{kOurMapping});
    EXPECT_EQ(CallCount("Send "), 1u);
    EXPECT_EQ(transport.Calls("Sleep "), std::vector<std::string>{"100"});
    EXPECT_EQ(transport.server.RequestsServed(), 3u) << "two version reads, one write";
}

TEST_F(LinkTest, TooOldOrNegativeServerVersionOrWrongSignatureIsRefused) {
    // The version is compared signed: a set top bit is never new enough. Any answer other
    // than 0 ends the handshake after its first pass, however wrong.
    const std::pair<uint32_t, uint16_t> refused[] = {
        {0x19980004, 0xFADE}, {0x80000000, 0xFADE}, {0xFFFFFFFF, 0xFADE}, {0x99980005, 0xFADE},
        {1, 0xFADE},          {0x19980005, 0xFADF}, {0x19980005, 0x0000}};
    for (const auto& [version, signature] : refused) {
        transport.server.SetServerVersion(static_cast<int32_t>(version));
        transport.server.SetSimulator(signature, 1);
        log.clear();
        EXPECT_FALSE(Open()) << std::hex << version << " " << signature;
        EXPECT_EQ(result, IpcBadServerVersion);
        EXPECT_EQ(CallCount("Send "), 1u);
        ExpectNothingHeld();
    }
}

TEST_F(LinkTest, InvalidVersionsAfterFivePassesMeanNoSimulatorBehindAnFs98Window) {
    transport.server.Behaviour().zeroVersions = true;
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcBadServerVersion);
    EXPECT_EQ(CallCount("Send "), 5u);
    EXPECT_EQ(transport.Calls("Sleep "), std::vector<std::string>(5, "100"));
    ExpectNothingHeld();

    transport.windows = {{"FS98MAIN", 0x98}};
    log.clear();
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcSimNotRunning);
    EXPECT_EQ(transport.Calls("FindServerWindow "),
              (std::vector<std::string>{"UIPCMAIN", "FS98MAIN"}));
    ExpectNothingHeld();

    transport.server.Behaviour().zeroVersions = false;
    transport.server.SetSimulator(0x0000, 1);
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcSimNotRunning) << "a bad signature counts too";
    transport.server.SetSimulator(0xFADE, 1);
    EXPECT_TRUE(Open()) << "a good FS98-class server opens";
}

TEST_F(LinkTest, RequestedSimulatorMustMatchUnlessAny) {
    transport.server.SetSimulator(0xFADE, 3);
    for (int32_t accepted : {0, 3}) {
        ASSERT_TRUE(Open(accepted)) << accepted;
        EXPECT_EQ(link.Link().SimVersion, 3u);
        link.IpcClose();
    }
    EXPECT_FALSE(Open(2));
    EXPECT_EQ(result, IpcWrongSimulator);
    ExpectNothingHeld();
}

TEST_F(LinkTest, SecondOpenLeavesTheLinkOpenAndUsable) {
    ASSERT_TRUE(Open());
    uint8_t* view = link.Link().ViewBase;
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcAlreadyOpen);
    EXPECT_EQ(link.Link().ViewBase, view);
    EXPECT_EQ(link.Link().ServerVersion, 0);
    EXPECT_EQ(link.Link().SimVersion, 0u);

    uint8_t buffer[2] = {};
    ASSERT_TRUE(link.IpcRead(kCom1Offset, 2, buffer, result));
    EXPECT_TRUE(link.IpcProcess(result));
    EXPECT_EQ(buffer[1], 0x22);
}

TEST_F(LinkTest, CloseIsSafeToRepeatAndReopensUnderTheSameName) {
    link.IpcClose();  // never opened
    ExpectNothingHeld();
    ASSERT_TRUE(Open());
    link.IpcClose();
    link.IpcClose();
    ExpectNothingHeld();
    EXPECT_EQ(CallCount("DeleteAtom"), 1u);
    EXPECT_EQ(CallCount("UnmapView"), 1u);
    EXPECT_EQ(CallCount("CloseMapping"), 1u);
    EXPECT_FALSE(transport.MappingNamed(kOurMapping)) << "gone once released";
    link.IpcInit();
    EXPECT_EQ(link.Link().SimVersion, 2u) << "close and init leave the versions";

    ASSERT_TRUE(Open()) << result;
    EXPECT_EQ(transport.Calls("CreateMapping ").back(), kOurMapping);
}

using T = FakeIpcTransport;
struct OpenFailure {
    const char* name;
    std::function<void(T&)> arrange;
    IpcResult expected;
    size_t atomsDeleted, viewsUnmapped, mappingsClosed;  // and none left held
};
// A failing case is named by its step alone.
void PrintTo(const OpenFailure& failure, std::ostream* out) {
    *out << failure.name;
}

class LinkFailureTest : public LinkTest, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(LinkFailureTest, GivesBackExactlyWhatWasTaken) {
    const OpenFailure& failure = GetParam();
    failure.arrange(transport);
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, failure.expected);
    ExpectReleased();
    EXPECT_EQ(CallCount("DeleteAtom"), failure.atomsDeleted);
    EXPECT_EQ(CallCount("UnmapView"), failure.viewsUnmapped);
    EXPECT_EQ(CallCount("CloseMapping"), failure.mappingsClosed);
    // Only someone else's mapping of our name outlives the failure.
    EXPECT_EQ(transport.MappingNamed(kOurMapping), std::string(failure.name) == "MappingExists");
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, LinkFailureTest,
    ::testing::Values(
        OpenFailure{"NoServer", [](T& t) { t.windows.clear(); }, IpcServerNotFound, 0, 0, 0},
        OpenFailure{"NoMessage", [](T& t) { t.registeredMessage = 0; }, IpcMessageNotRegistered, 0,
                    0, 0},
        OpenFailure{"NoAtom", [](T& t) { t.failAtom = true; }, IpcAtomFailed, 0, 0, 0},
        OpenFailure{"NoMapping", [](T& t) { t.failMapping = true; }, IpcMappingFailed, 1, 0, 0},
        OpenFailure{"MappingExists", [](T& t) { t.CreateForeignMapping(kOurMapping); },
                    IpcMappingFailed, 1, 0, 1},
        OpenFailure{"NoView", [](T& t) { t.failView = true; }, IpcViewFailed, 1, 0, 1},
        OpenFailure{"SendFails",
                    [](T& t) {
                        t.sendScript.assign(11, {false, 5});
                    },
                    IpcSendFailed, 1, 1, 1},
        // A bad record type is reported, not a stale 0.
        OpenFailure{"BadReply", [](T& t) { t.server.Behaviour().malformedReply = true; },
                    IpcBadReply, 1, 1, 1}),
    [](const ::testing::TestParamInfo<OpenFailure>& info) { return info.param.name; });

// Ending the link object, however the program ends, gives back atom, view and handle.
TEST(LinkLifetime, DestroyingAnOpenLinkReleasesEverything) {
    FakeIpcTransport transport;
    {
        Fsuipc link(transport);
        link.IpcInit();
        IpcResult result = IpcOk;
        ASSERT_TRUE(link.IpcOpen(0, result)) << result;
        ASSERT_FALSE(transport.HoldsNothing());
    }
    EXPECT_TRUE(transport.HoldsNothing());
}

// Opening and closing the link: the order of steps, the version handshake, and that
// every failure gives back exactly what was taken.

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "ipc/Fsuipc.h"
#include "tests/unit/FakeIpcTransport.h"

namespace {

class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override { link.IpcInit(); }

    bool Open(int32_t requestedSimulator = 0) {
        result = IpcOk;
        return link.IpcOpen(requestedSimulator, result);
    }
    void OnlyFs98Window() {
        transport.windows.clear();
        transport.windows["FS98MAIN"] = 0x98;
    }
    void ExpectNothingHeld() {
        const IpcLink& state = link.Link();
        EXPECT_EQ(state.ServerWindow, 0u);
        EXPECT_EQ(state.MessageId, 0u);
        EXPECT_EQ(state.MappingAtom, 0);
        EXPECT_EQ(state.MappingHandle, 0u);
        EXPECT_EQ(state.ViewBase, nullptr);
        EXPECT_EQ(state.NextRequest, nullptr);
        EXPECT_EQ(transport.LiveAtoms(), 0u);
        EXPECT_EQ(transport.OpenHandles(), 0u);
        EXPECT_EQ(transport.MappedViews(), 0u);
    }

    FakeIpcTransport transport;
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

TEST(IpcTexts, EveryCodeAndSimulatorHasItsOwnText) {
    for (int code = 0; code < kIpcResultCount; ++code) {
        ASSERT_NE(kIpcResultTexts[code], nullptr);
        for (int other = 0; other < code; ++other) {
            EXPECT_NE(std::wcscmp(kIpcResultTexts[code], kIpcResultTexts[other]), 0) << code;
        }
    }
    EXPECT_STREQ(kIpcResultTexts[IpcNotOpen], L"Call cannot execute, link not Open");
    EXPECT_STREQ(kIpcResultTexts[IpcNothingQueued],
                 L"Call cannot execute: no requests accumulated");
    EXPECT_STREQ(kSimNameTexts[0], L"Any");
    EXPECT_STREQ(kSimNameTexts[5], L"FLY");
}

TEST(MappingName, ProcessIdInUpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(NameFor(0x1A4), "FSASMLIB:IPC:1A4:1");
    EXPECT_EQ(NameFor(0), "FSASMLIB:IPC:0:1");
    EXPECT_EQ(NameFor(0xFFFFFFFF), "FSASMLIB:IPC:FFFFFFFF:1") << "23 characters still fit";
}

TEST_F(LinkTest, OpensWithOneExchangeAndOnePause) {
    ASSERT_TRUE(Open());
    EXPECT_EQ(result, IpcOk);
    const IpcLink& state = link.Link();
    EXPECT_NE(state.ViewBase, nullptr);
    EXPECT_EQ(state.NextRequest, state.ViewBase);
    EXPECT_EQ(state.ServerVersion, 0x19980005);
    EXPECT_EQ(state.SimVersion, 2u) << "only the simulator number is kept";
    EXPECT_EQ(state.MappingAtom, static_cast<int32_t>(0xFFFFC123));
    EXPECT_EQ(transport.windowLookups, std::vector<std::string>{"UIPCMAIN"});
    EXPECT_EQ(transport.LastAtomName(), "FSASMLIB:IPC:1A4:1");
    EXPECT_EQ(transport.LastMappingName(), "FSASMLIB:IPC:1A4:1");
    EXPECT_EQ(transport.sends.size(), 1u);
    EXPECT_EQ(transport.sleeps, std::vector<uint32_t>{100});
    EXPECT_EQ(transport.server.RequestsServed(), 3u) << "two version reads, one write";
}

TEST_F(LinkTest, ServerVersionIsComparedSigned) {
    transport.server.SetServerVersion(0x19980004);
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcBadServerVersion);
    ExpectNothingHeld();

    for (uint32_t topBitSet : {0x80000000u, 0xFFFFFFFFu, 0x99980005u}) {
        transport.server.SetServerVersion(static_cast<int32_t>(topBitSet));
        EXPECT_FALSE(Open()) << std::hex << topBitSet;
        EXPECT_EQ(result, IpcBadServerVersion);
    }
    ExpectNothingHeld();
}

TEST_F(LinkTest, SignatureMustBeFade) {
    transport.server.SetSimulator(0xFADF, 2);
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcBadServerVersion);
    ExpectNothingHeld();
}

TEST_F(LinkTest, Fs98WindowIsLookedForSecondAndReportsSimNotRunning) {
    OnlyFs98Window();
    transport.server.SetSimulator(0x0000, 1);
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcSimNotRunning);
    EXPECT_EQ(transport.windowLookups, (std::vector<std::string>{"UIPCMAIN", "FS98MAIN"}));
    ExpectNothingHeld();

    transport.server.SetSimulator(0xFADE, 1);
    EXPECT_TRUE(Open()) << "a good FS98-class server opens";
}

TEST_F(LinkTest, ZeroVersionsMakeFivePassesThenFail) {
    transport.server.Behaviour().zeroVersions = true;
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcBadServerVersion);
    EXPECT_EQ(transport.sends.size(), 5u);
    EXPECT_EQ(transport.sleeps, std::vector<uint32_t>(5, 100));
    ExpectNothingHeld();

    OnlyFs98Window();
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcSimNotRunning);
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

TEST_F(LinkTest, CloseReleasesInOrderAndIsSafeToRepeat) {
    link.IpcClose();  // never opened
    ExpectNothingHeld();
    ASSERT_TRUE(Open());
    link.IpcClose();
    link.IpcClose();
    ExpectNothingHeld();
    EXPECT_EQ(transport.deleteAtomCalls, 1);
    EXPECT_EQ(transport.unmapCalls, 1);
    EXPECT_EQ(transport.closeMappingCalls, 1);
    EXPECT_EQ(link.Link().SimVersion, 2u) << "close leaves the versions";
}

TEST_F(LinkTest, ReopensUnderTheSameName) {
    ASSERT_TRUE(Open());
    link.IpcClose();
    EXPECT_FALSE(transport.MappingNamed("FSASMLIB:IPC:1A4:1")) << "gone once released";
    ASSERT_TRUE(Open()) << result;
    EXPECT_EQ(transport.LastMappingName(), "FSASMLIB:IPC:1A4:1");
    link.IpcClose();
    ExpectNothingHeld();
}

TEST_F(LinkTest, ExistingMappingOfTheNameIsRefusedAndItsHandleClosed) {
    transport.CreateForeignMapping("FSASMLIB:IPC:1A4:1");
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcMappingFailed);
    EXPECT_EQ(transport.closeMappingCalls, 1);
    ExpectNothingHeld();
    EXPECT_TRUE(transport.MappingNamed("FSASMLIB:IPC:1A4:1")) << "the other owner keeps it";
}

TEST_F(LinkTest, NoServerWindowHoldsNothing) {
    transport.windows.clear();
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcServerNotFound);
    EXPECT_EQ(transport.registerCalls, 0);
    ExpectNothingHeld();
}

TEST_F(LinkTest, FailedRegistrationTakesNoAtom) {
    transport.registeredMessage = 0;
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcMessageNotRegistered);
    EXPECT_EQ(transport.LastAtomName(), "");
    EXPECT_EQ(link.Link().ViewBase, nullptr);
    EXPECT_EQ(transport.LiveAtoms(), 0u);
}

TEST_F(LinkTest, FailedAtomCreatesNoMapping) {
    transport.failAtom = true;
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcAtomFailed);
    EXPECT_EQ(transport.LastMappingName(), "");
    EXPECT_EQ(transport.deleteAtomCalls, 0);
    ExpectNothingHeld();
}

TEST_F(LinkTest, FailedMappingGivesBackTheAtom) {
    transport.failMapping = true;
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcMappingFailed);
    EXPECT_EQ(transport.deleteAtomCalls, 1);
    EXPECT_EQ(transport.closeMappingCalls, 0);
    ExpectNothingHeld();
}

TEST_F(LinkTest, FailedViewGivesBackAtomAndHandle) {
    transport.failView = true;
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcViewFailed);
    EXPECT_EQ(transport.deleteAtomCalls, 1);
    EXPECT_EQ(transport.closeMappingCalls, 1);
    EXPECT_EQ(transport.unmapCalls, 0);
    ExpectNothingHeld();
}

TEST_F(LinkTest, FailedHandshakeExchangePassesItsCodeOn) {
    for (int i = 0; i < 11; ++i) transport.sendScript.push_back({false, 5});
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcSendFailed);
    ExpectNothingHeld();

    transport.server.Behaviour().malformedReply = true;
    EXPECT_FALSE(Open());
    EXPECT_EQ(result, IpcBadReply) << "a bad record type is reported, not a stale 0";
    ExpectNothingHeld();
}

TEST_F(LinkTest, InitLeavesTheVersionsAlone) {
    ASSERT_TRUE(Open());
    link.IpcClose();
    link.IpcInit();
    EXPECT_EQ(link.Link().ServerVersion, 0x19980005);
    ExpectNothingHeld();
}

// The simulator link over the real system calls, against the real stand-in simulator.

#include <gtest/gtest.h>
#include <windows.h>

#include "ipc/Fsuipc.h"
#include "platform/win32/Win32IpcTransport.h"
#include "tests/win/link/OwnHandles.h"
#include "tests/win/link/StandInProcess.h"
#include "tools/simserver/SimServerCore.h"

namespace {

constexpr uint16_t kUnwritten = 0xBEEF;

std::string OwnMappingName() {
    char name[24];
    Fsuipc::MakeMappingName(GetCurrentProcessId(), name);
    return name;
}

// A named mapping lives as long as any handle or view of it: once the link is closed
// (and the server has let go after each request) the name must be free again.
bool AreaStillExists() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, OwnMappingName().c_str());
    if (mapping == nullptr) return false;
    CloseHandle(mapping);
    return true;
}

ULONGLONG MillisecondsSince(ULONGLONG start) {
    return GetTickCount64() - start;
}

class LinkAgainstStandIn : public ::testing::Test {
  protected:
    void SetUp() override { link_.IpcInit(); }
    void TearDown() override {
        link_.IpcClose();
        simulator_.Terminate();
    }

    void ExpectNothingHeld() {
        const IpcLink& state = link_.Link();
        EXPECT_EQ(state.ViewBase, nullptr);
        EXPECT_EQ(state.MappingHandle, 0u);
        EXPECT_EQ(state.MappingAtom, 0);
        EXPECT_EQ(GlobalFindAtomA(OwnMappingName().c_str()), 0);
    }

    // Reads COM1 over the open link; kUnwritten when the exchange failed.
    uint16_t ReadCom1() {
        uint16_t bcd = kUnwritten;
        if (!link_.IpcRead(kCom1Offset, 2, &bcd, result_)) return kUnwritten;
        if (!link_.IpcProcess(result_)) return kUnwritten;
        return bcd;
    }

    Win32IpcTransport transport_;
    Fsuipc link_{transport_};
    StandInProcess simulator_;
    IpcResult result_ = IpcOk;
};

TEST_F(LinkAgainstStandIn, OpensWithTheHandshakeAndReadsCom1) {
    ASSERT_TRUE(simulator_.Start(L"--com1 123.45 --sim 3 --version 0x19990101"));

    ASSERT_TRUE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcOk);
    EXPECT_EQ(link_.Link().ServerVersion, 0x19990101);
    EXPECT_EQ(link_.Link().SimVersion, 3u);
    // Global atoms are 0xC000 and up, so every real exchange sends a sign-extended atom.
    EXPECT_LT(link_.Link().MappingAtom, 0);
    EXPECT_EQ(ReadCom1(), 0x2345);

    link_.IpcClose();
    ExpectNothingHeld();
    EXPECT_FALSE(AreaStillExists());
}

TEST_F(LinkAgainstStandIn, FindsAServerOfTheOlderWindowClass) {
    ASSERT_TRUE(simulator_.Start(L"--class FS98MAIN --com1 118.00", "FS98MAIN"));
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    EXPECT_EQ(ReadCom1(), 0x1800);
}

TEST_F(LinkAgainstStandIn, OlderClassServerWithoutVersionsMeansNoSimulatorBehindIt) {
    ASSERT_TRUE(simulator_.Start(L"--class FS98MAIN --zero-versions", "FS98MAIN"));
    EXPECT_FALSE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcSimNotRunning);
    ExpectNothingHeld();
}

TEST_F(LinkAgainstStandIn, ServerReplyOtherThanOneIsBadData) {
    ASSERT_TRUE(simulator_.Start(L"--reply 2"));
    EXPECT_FALSE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcBadReply);
    ExpectNothingHeld();
}

TEST_F(LinkAgainstStandIn, MappingNameInUseFailsAndHoldsNothing) {
    ASSERT_TRUE(simulator_.Start(L""));
    HANDLE squatter = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         kIpcAreaSize, OwnMappingName().c_str());
    ASSERT_NE(squatter, nullptr);
    const size_t handlesBefore = OwnHandleCount();
    ASSERT_GT(handlesBefore, 0u);

    EXPECT_FALSE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcMappingFailed);
    ExpectNothingHeld();
    EXPECT_EQ(OwnHandleCount(), handlesBefore);
    CloseHandle(squatter);
}

TEST_F(LinkAgainstStandIn, HangingServerFailsAfterAllSendsAndEmptiesTheArea) {
    ASSERT_TRUE(simulator_.Start(L"--hang-after 1"));  // answers the handshake only
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    uint16_t bcd = kUnwritten;
    ASSERT_TRUE(link_.IpcRead(kCom1Offset, 2, &bcd, result_));

    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(link_.IpcProcess(result_));
    // Each of the eleven sends really waits out its time-out.
    EXPECT_GE(MillisecondsSince(start), 20000u);
    EXPECT_TRUE(result_ == IpcTimedOut || result_ == IpcSendFailed) << result_;
    EXPECT_EQ(link_.Link().NextRequest, link_.Link().ViewBase);
    EXPECT_EQ(bcd, kUnwritten);
}

TEST_F(LinkAgainstStandIn, ServerThatHasGoneIsNotFound) {
    ASSERT_TRUE(simulator_.Start(L""));
    simulator_.Terminate();
    EXPECT_FALSE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcServerNotFound);
    ExpectNothingHeld();
}

TEST_F(LinkAgainstStandIn, ServerThatDiesWhileOpenFailsWithoutWaiting) {
    ASSERT_TRUE(simulator_.Start(L""));
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    simulator_.Terminate();

    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(ReadCom1(), kUnwritten);
    // Sends to a window that no longer exists fail at once: only the ten pauses remain.
    EXPECT_LT(MillisecondsSince(start), 10000u);
    EXPECT_TRUE(result_ == IpcTimedOut || result_ == IpcSendFailed) << result_;
    EXPECT_EQ(link_.Link().NextRequest, link_.Link().ViewBase);
}

TEST_F(LinkAgainstStandIn, RepeatedOpenAndCloseLeakNeitherAtomsNorHandles) {
    ASSERT_TRUE(simulator_.Start(L""));
    // One cycle first: the system sets up per-process state on first use.
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    link_.IpcClose();
    const size_t handlesBefore = OwnHandleCount();
    ASSERT_GT(handlesBefore, 0u);

    for (int cycle = 0; cycle < 100; ++cycle) {
        ASSERT_TRUE(link_.IpcOpen(0, result_)) << "cycle " << cycle << ", result " << result_;
        link_.IpcClose();
        ASSERT_EQ(GlobalFindAtomA(OwnMappingName().c_str()), 0) << "cycle " << cycle;
        ASSERT_FALSE(AreaStillExists()) << "cycle " << cycle;
    }
    EXPECT_EQ(OwnHandleCount(), handlesBefore);
}

}  // namespace

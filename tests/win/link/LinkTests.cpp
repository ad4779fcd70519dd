// The simulator link over the real system calls, against the real stand-in simulator:
// what only the system shows (atoms, named mappings, real sends and their time-outs).
#include <gtest/gtest.h>

#include "ipc/Fsuipc.h"
#include "platform/win32/Win32IpcTransport.h"
#include "tests/win/WinTestSupport.h"
#include "tools/simserver/SimServerCore.h"

namespace {

constexpr uint16_t kUnwritten = 0xBEEF;

std::string OwnMappingName() {
    char name[24];
    Fsuipc::MakeMappingName(GetCurrentProcessId(), name);
    return name;
}

class LinkAgainstStandIn : public ::testing::Test {
  protected:
    // A named mapping lives while any handle or view of it does, and an atom until it
    // is deleted: with both names free again, the link has given everything back.
    void ExpectNothingHeld() {
        EXPECT_EQ(GlobalFindAtomA(OwnMappingName().c_str()), 0);
        EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, OwnMappingName().c_str()), nullptr);
    }
    // Reads COM1 over the open link; kUnwritten when the exchange failed.
    uint16_t ReadCom1() {
        uint16_t bcd = kUnwritten;
        if (link_.IpcRead(kCom1Offset, 2, &bcd, result_)) link_.IpcProcess(result_);
        return bcd;
    }
    // Milliseconds until a read sent to a server that does not answer came back failed.
    ULONGLONG FailedReadMs() {
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(ReadCom1(), kUnwritten);
        EXPECT_TRUE(result_ == IpcTimedOut || result_ == IpcSendFailed) << result_;
        return GetTickCount64() - start;
    }

    Win32IpcTransport transport_;
    Fsuipc link_{transport_};
    wintest::ChildProcess simulator_;
    IpcResult result_ = IpcOk;
};

TEST_F(LinkAgainstStandIn, OpensReadsAndClosesAndGivesBackWhatItHeld) {
    ASSERT_TRUE(simulator_.StartSimulator(L"--com1 123.45 --sim 3 --version 0x19990101"));
    ASSERT_TRUE(link_.IpcOpen(0, result_)) << result_;
    EXPECT_EQ(link_.Link().ServerVersion, 0x19990101);
    EXPECT_EQ(link_.Link().SimVersion, 3u);
    // Global atoms are 0xC000 and up, so every real exchange sends a sign-extended atom.
    EXPECT_LT(link_.Link().MappingAtom, 0);
    EXPECT_EQ(ReadCom1(), 0x2345);
    for (int cycle = 0; cycle < 50; ++cycle) {
        link_.IpcClose();
        ExpectNothingHeld();
        ASSERT_TRUE(link_.IpcOpen(0, result_)) << "cycle " << cycle << ", result " << result_;
    }
    link_.IpcClose();

    // Someone else's mapping under our name is refused, and our handle to it given back.
    HANDLE squatter = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         kIpcAreaSize, OwnMappingName().c_str());
    ASSERT_NE(squatter, nullptr);
    EXPECT_FALSE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcMappingFailed);
    CloseHandle(squatter);
    ExpectNothingHeld();

    // Sends to a server that has died fail at once: only the pauses between tries remain.
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    simulator_.End();
    EXPECT_LT(FailedReadMs(), 10000u);
}

TEST_F(LinkAgainstStandIn, AnOlderServerWithoutVersionsMeansNoSimulatorBehindIt) {
    ASSERT_TRUE(simulator_.StartSimulator(L"--class FS98MAIN --zero-versions", L"FS98MAIN"));
    EXPECT_FALSE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcSimNotRunning);
    ExpectNothingHeld();
}

TEST_F(LinkAgainstStandIn, AHangingServerIsWaitedForElevenTimes) {
    ASSERT_TRUE(simulator_.StartSimulator(L"--hang-after 1"));  // answers the handshake only
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    EXPECT_GE(FailedReadMs(), 20000u);
}

}  // namespace

// The simulator link over the real system calls, against the real stand-in simulator:
// what only the system shows (atoms, named mappings, handles, real sends and time-outs).

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

class LinkAgainstStandIn : public ::testing::Test {
  protected:
    void SetUp() override { link_.IpcInit(); }
    void TearDown() override {
        link_.IpcClose();
        simulator_.Terminate();
    }

    void ExpectNothingHeld() {
        EXPECT_EQ(link_.Link().ViewBase, nullptr);
        EXPECT_EQ(link_.Link().MappingHandle, 0u);
        EXPECT_EQ(GlobalFindAtomA(OwnMappingName().c_str()), 0);
        EXPECT_FALSE(AreaStillExists());
    }

    // Reads COM1 over the open link; kUnwritten when the exchange failed.
    uint16_t ReadCom1() {
        uint16_t bcd = kUnwritten;
        if (!link_.IpcRead(kCom1Offset, 2, &bcd, result_)) return kUnwritten;
        if (!link_.IpcProcess(result_)) return kUnwritten;
        return bcd;
    }
    // Sends a read to the server and gives the milliseconds until the failure came back.
    ULONGLONG FailedReadMs() {
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(ReadCom1(), kUnwritten);
        EXPECT_TRUE(result_ == IpcTimedOut || result_ == IpcSendFailed) << result_;
        EXPECT_EQ(link_.Link().NextRequest, link_.Link().ViewBase);
        return GetTickCount64() - start;
    }

    Win32IpcTransport transport_;
    Fsuipc link_{transport_};
    StandInProcess simulator_;
    IpcResult result_ = IpcOk;
};

TEST_F(LinkAgainstStandIn, OpensReadsAndClosesWithoutLeavingAnythingBehind) {
    ASSERT_TRUE(simulator_.Start(L"--com1 123.45 --sim 3 --version 0x19990101"));
    ASSERT_TRUE(link_.IpcOpen(0, result_)) << result_;
    EXPECT_EQ(link_.Link().ServerVersion, 0x19990101);
    EXPECT_EQ(link_.Link().SimVersion, 3u);
    // Global atoms are 0xC000 and up, so every real exchange sends a sign-extended atom.
    EXPECT_LT(link_.Link().MappingAtom, 0);
    EXPECT_EQ(ReadCom1(), 0x2345);
    link_.IpcClose();
    ExpectNothingHeld();

    // The system sets up per-process state on first use; after that, nothing may grow.
    const size_t handlesBefore = OwnHandleCount();
    ASSERT_GT(handlesBefore, 0u);
    for (int cycle = 0; cycle < 50; ++cycle) {
        ASSERT_TRUE(link_.IpcOpen(0, result_)) << "cycle " << cycle << ", result " << result_;
        link_.IpcClose();
    }
    ExpectNothingHeld();
    EXPECT_EQ(OwnHandleCount(), handlesBefore);

    // Someone else's mapping under our name is refused, and our handle to it given back.
    HANDLE squatter = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         kIpcAreaSize, OwnMappingName().c_str());
    ASSERT_NE(squatter, nullptr);
    EXPECT_FALSE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcMappingFailed);
    EXPECT_EQ(OwnHandleCount(), handlesBefore + 1);
    CloseHandle(squatter);

    // Sends to a server that has died fail at once: only the ten pauses remain.
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    simulator_.Terminate();
    EXPECT_LT(FailedReadMs(), 10000u);
}

TEST_F(LinkAgainstStandIn, OlderClassServerWithoutVersionsMeansNoSimulatorBehindIt) {
    ASSERT_TRUE(simulator_.Start(L"--class FS98MAIN --zero-versions", "FS98MAIN"));
    EXPECT_FALSE(link_.IpcOpen(0, result_));
    EXPECT_EQ(result_, IpcSimNotRunning);
    ExpectNothingHeld();
}

TEST_F(LinkAgainstStandIn, AHangingServerIsWaitedForElevenTimes) {
    ASSERT_TRUE(simulator_.Start(L"--hang-after 1"));  // answers the handshake only
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    EXPECT_GE(FailedReadMs(), 20000u) << "each send waits out its time-out";
}

}  // namespace

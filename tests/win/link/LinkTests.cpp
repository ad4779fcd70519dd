// The simulator link over the real system calls, against the real stand-in simulator:
// what only the system shows (atoms, named mappings, real sends and their time-outs).
#include <gtest/gtest.h>

#include "ipc/Fsuipc.h"
#include "platform/win32/Win32IpcTransport.h"
#include "tests/win/WinTestSupport.h"
#include "tools/simserver/SimServerCore.h"

namespace {

class LinkAgainstStandIn : public ::testing::Test {
  protected:
    void SetUp() override { Fsuipc::MakeMappingName(GetCurrentProcessId(), mappingName); }
    void StartSimulator(const wchar_t* arguments) {
        ASSERT_TRUE(simulator = wintest::Start(L"standin-sim.exe", arguments, L"UIPCMAIN"));
    }
    // A named mapping lives while any handle or view of it does, and an atom until it
    // is deleted: with both names free again, the link has given everything back.
    void ExpectNothingHeld() {
        EXPECT_EQ(GlobalFindAtomA(mappingName), 0);
        EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, mappingName), nullptr);
    }
    // COM1 read over the open link; 0xBEEF when the exchange failed.
    uint16_t ReadCom1() {
        uint16_t bcd = 0xBEEF;
        if (link.IpcRead(kCom1FrequencyOffset, 2, &bcd, result)) link.IpcProcess(result);
        return bcd;
    }
    // Milliseconds until a read sent to a server that does not answer came back failed.
    ULONGLONG FailedReadMs() {
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(ReadCom1(), 0xBEEF);
        EXPECT_TRUE(result == IpcTimedOut || result == IpcSendFailed) << result;
        return GetTickCount64() - start;
    }

    Win32IpcTransport transport;
    Fsuipc link{transport};
    wintest::Process simulator;
    IpcResult result = IpcOk;
    char mappingName[24] = "";
};

TEST_F(LinkAgainstStandIn, OpensReadsAndClosesAndGivesBackWhatItHeld) {
    StartSimulator(L"--com1 123.45 --sim 3 --version 0x19990101");
    ASSERT_TRUE(link.IpcOpen(0, result)) << result;
    EXPECT_EQ(link.Link().ServerVersion, 0x19990101);
    EXPECT_EQ(link.Link().SimVersion, 3u);
    EXPECT_EQ(ReadCom1(), 0x2345);
    for (int cycle = 0; cycle < 50; ++cycle) {
        link.IpcClose();
        ExpectNothingHeld();
        ASSERT_TRUE(link.IpcOpen(0, result)) << "cycle " << cycle << ", result " << result;
    }
    link.IpcClose();

    // Someone else's mapping under our name is refused, and our handle to it given back.
    HANDLE squatter = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         kIpcAreaSize, mappingName);
    EXPECT_FALSE(link.IpcOpen(0, result));
    EXPECT_EQ(result, IpcMappingFailed);
    CloseHandle(squatter);
    ExpectNothingHeld();

    // Sends to a server that has died fail at once: only the pauses between tries remain.
    ASSERT_TRUE(link.IpcOpen(0, result));
    simulator.reset();
    EXPECT_LT(FailedReadMs(), 10000u);
}

TEST_F(LinkAgainstStandIn, AHangingServerIsWaitedForElevenTimes) {
    StartSimulator(L"--hang-after 1");  // answers the handshake only
    ASSERT_TRUE(link.IpcOpen(0, result));
    EXPECT_GE(FailedReadMs(), 20000u);
}

// Work given for the first pause runs once, inside it, and the pause still lasts its time.
int pauseWorkRuns = 0;

TEST(Win32IpcTransportTest, TheFirstPauseRunsItsWorkOnceAndLastsItsWholeTime) {
    Win32IpcTransport transport([] {
        ++pauseWorkRuns;
        Sleep(40);
    });
    for (int pause = 1; pause <= 2; ++pause) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        transport.Sleep(100);
        QueryPerformanceCounter(&end);
        EXPECT_GE((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart, 100) << pause;
        EXPECT_EQ(pauseWorkRuns, 1) << pause;
    }
}

}  // namespace

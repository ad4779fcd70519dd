// The stand-in simulator: its window as a user drives it, its command line, and how
// it serves request areas, including areas that a careless or hostile client names.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "ipc/Fsuipc.h"
#include "platform/win32/Win32IpcTransport.h"
#include "tests/win/link/StandInProcess.h"
#include "tools/standin-sim/AreaRequest.h"
#include "tools/standin-sim/StandInWindow.h"

namespace {

constexpr uint16_t kUnwritten = 0xBEEF;

// ---------------------------------------------------------------- the window

class StandInWindowDriven : public ::testing::Test {
  protected:
    void TearDown() override {
        link_.IpcClose();
        simulator_.Terminate();
    }

    void StartAndOpen(const std::wstring& arguments) {
        ASSERT_TRUE(simulator_.Start(arguments));
        link_.IpcInit();
        ASSERT_TRUE(link_.IpcOpen(0, result_)) << result_;
    }

    uint16_t ReadCom1() {
        uint16_t bcd = kUnwritten;
        if (!link_.IpcRead(kCom1Offset, 2, &bcd, result_) || !link_.IpcProcess(result_)) {
            return kUnwritten;
        }
        return bcd;
    }

    void Press(int control) {
        SendMessageW(GetDlgItem(simulator_.Window(), control), BM_CLICK, 0, 0);
    }

    std::wstring Shown() {
        wchar_t text[32] = L"";
        GetDlgItemTextW(simulator_.Window(), kFrequencyDisplay, text, 32);
        return text;
    }

    void Type(const wchar_t* frequency) {
        SetDlgItemTextW(simulator_.Window(), kFrequencyField, frequency);
        Press(kSetButton);
    }

    Win32IpcTransport transport_;
    Fsuipc link_{transport_};
    StandInProcess simulator_;
    IpcResult result_ = IpcOk;
};

TEST_F(StandInWindowDriven, ChannelStepsShowTwoDecimalsAndKeepTheExactFrequency) {
    StartAndOpen(L"--com1 122.80");
    EXPECT_EQ(Shown(), L"122.80");
    const uint16_t expected[] = {0x2282, 0x2285, 0x2287, 0x2290};
    for (uint16_t bcd : expected) {
        Press(kUpKhzButton);
        EXPECT_EQ(ReadCom1(), bcd);
    }
    EXPECT_EQ(Shown(), L"122.90");
    Press(kDownKhzButton);
    EXPECT_EQ(ReadCom1(), 0x2287);
    EXPECT_EQ(Shown(), L"122.87");
}

TEST_F(StandInWindowDriven, MegahertzStepsAndTypedFrequenciesWrapAroundTheBand) {
    StartAndOpen(L"--com1 136.50");
    Press(kUpMhzButton);
    EXPECT_EQ(ReadCom1(), 0x1850);
    Press(kDownMhzButton);
    EXPECT_EQ(ReadCom1(), 0x3650);

    Type(L"136.97");
    EXPECT_EQ(ReadCom1(), 0x3697);
    Press(kUpKhzButton);
    EXPECT_EQ(ReadCom1(), 0x1800);
    Press(kDownKhzButton);
    EXPECT_EQ(ReadCom1(), 0x3697);
    EXPECT_EQ(Shown(), L"136.97");
}

TEST_F(StandInWindowDriven, ShowsThatAClientWasServed) {
    ASSERT_TRUE(simulator_.Start(L""));
    wchar_t status[128] = L"";
    GetDlgItemTextW(simulator_.Window(), kStatusText, status, 128);
    EXPECT_STREQ(status, L"Waiting for a client");

    link_.IpcInit();
    ASSERT_TRUE(link_.IpcOpen(0, result_));
    ReadCom1();
    // The handshake (two reads and a write) and the COM1 read.
    const wchar_t expected[] = L"Client served: 4 requests in 2 exchanges";
    for (int attempt = 0; attempt < 100 && std::wcscmp(status, expected) != 0; ++attempt) {
        Sleep(50);  // the status line follows on the window's refresh timer
        GetDlgItemTextW(simulator_.Window(), kStatusText, status, 128);
    }
    EXPECT_STREQ(status, expected);
}

TEST_F(StandInWindowDriven, ScheduleRetunesCom1AsTimePasses) {
    StartAndOpen(L"--com1 122.80 --schedule 123.45@0,124.50@1000");
    const uint16_t first = ReadCom1();
    EXPECT_TRUE(first == 0x2345 || first == 0x2450) << std::hex << first;
    uint16_t now = first;
    for (int attempt = 0; attempt < 100 && now != 0x2450; ++attempt) {
        Sleep(50);
        now = ReadCom1();
    }
    EXPECT_EQ(now, 0x2450);
}

TEST(StandInProgram, ClosesItselfWhenAskedTo) {
    StandInProcess simulator;
    ASSERT_TRUE(simulator.Start(L"--exit-after 300"));
    DWORD exitCode = 1;
    ASSERT_TRUE(simulator.WaitForExit(10000, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// ---------------------------------------------------------------- serving areas

// A named mapping with its atom, as a client would make them.
class ClientArea {
  public:
    ClientArea(const char* name, DWORD size) {
        mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
        if (mapping_ != nullptr) {
            view_ = static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
        }
        atom_ = GlobalAddAtomA(name);
    }
    ~ClientArea() {
        if (view_ != nullptr) UnmapViewOfFile(view_);
        if (mapping_ != nullptr) CloseHandle(mapping_);
        if (atom_ != 0) GlobalDeleteAtom(atom_);
    }
    bool Ready() const { return view_ != nullptr && atom_ != 0; }
    uint8_t* View() { return view_; }
    // The atom as the client sends it: sign-extended.
    uintptr_t Param() const {
        return static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int16_t>(atom_)));
    }

    // Queues one COM1 read at `at` and terminates the area after it.
    void PutCom1Read(size_t at) {
        StoreLe32(view_ + at, ReadRequest);
        StoreLe32(view_ + at + 4, kCom1Offset);
        StoreLe32(view_ + at + 8, 2);
        StoreLe32(view_ + at + 12, 0);
        StoreLe32(view_ + at + 16, 0);  // data 0..1, then the terminator at 18
        StoreLe32(view_ + at + 18, EndOfRequests);
    }

  private:
    HANDLE mapping_ = nullptr;
    uint8_t* view_ = nullptr;
    ATOM atom_ = 0;
};

TEST(AtomFromParam, TakesTheAtomZeroOrSignExtended) {
    EXPECT_EQ(AtomFromParam(0xC123), 0xC123);
    EXPECT_EQ(AtomFromParam(static_cast<uintptr_t>(static_cast<intptr_t>(int16_t(-16093)))),
              0xC123);
    EXPECT_EQ(AtomFromParam(0x1234), 0x1234);
    // A 32-bit client's value as a 64-bit receiver may see it.
    EXPECT_EQ(AtomFromParam(static_cast<uintptr_t>(0xFFFFC123u)), 0xC123);
}

TEST(AtomFromParam, RefusesWhatCannotBeAnAtom) {
    EXPECT_EQ(AtomFromParam(0x10000), 0);
    EXPECT_EQ(AtomFromParam(0x12345678), 0);
    EXPECT_EQ(AtomFromParam(static_cast<uintptr_t>(0x8000C123u)), 0);
    if (sizeof(uintptr_t) == 8) {
        EXPECT_EQ(AtomFromParam(static_cast<uintptr_t>(0xFFFFFFFF0000C123ull)), 0);
        EXPECT_EQ(AtomFromParam(static_cast<uintptr_t>(0x000000010000C123ull)), 0);
    }
}

class AreaServing : public ::testing::Test {
  protected:
    SimServerCore core_;
};

TEST_F(AreaServing, FillsTheReadsOfTheNamedArea) {
    core_.SetCom1Bcd(0x2345);
    ClientArea area("BrenvaleTest:area", kRequestAreaSize);
    ASSERT_TRUE(area.Ready());
    area.PutCom1Read(0);
    EXPECT_EQ(ServeAreaRequest(core_, area.Param()), 1u);
    EXPECT_EQ(LoadLe16(area.View() + 16), 0x2345);
}

TEST_F(AreaServing, RejectsAtomsThatNameNoUsableArea) {
    EXPECT_EQ(ServeAreaRequest(core_, 0), kRejectedReply);
    EXPECT_EQ(ServeAreaRequest(core_, 0x12345678), kRejectedReply);
    const ATOM orphan = GlobalAddAtomA("BrenvaleTest:no mapping");
    ASSERT_NE(orphan, 0);
    EXPECT_EQ(ServeAreaRequest(core_, orphan), kRejectedReply);
    GlobalDeleteAtom(orphan);
    EXPECT_EQ(ServeAreaRequest(core_, orphan), kRejectedReply);  // deleted: no name at all
    EXPECT_EQ(core_.ExchangesServed(), 0u);
}

TEST_F(AreaServing, StaysInsideAnAreaSmallerThanTheProtocolSays) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    ClientArea area("BrenvaleTest:one page", page);
    ASSERT_TRUE(area.Ready());

    area.PutCom1Read(page - 24);  // fits, with its terminator, in the one page
    std::memset(area.View(), 0, 4);
    StoreLe32(area.View(), WriteRequest);  // a write that skips to the read
    StoreLe32(area.View() + 8, page - 24 - 12);
    EXPECT_EQ(ServeAreaRequest(core_, area.Param()), 1u);
    EXPECT_EQ(LoadLe16(area.View() + page - 24 + 16), 0x2280);

    // A read that would fit a full-sized area but runs past this one: refused, and
    // nothing beyond the page touched (that would have faulted).
    StoreLe32(area.View() + page - 24 + 8, page);
    EXPECT_EQ(ServeAreaRequest(core_, area.Param()), SimServerCore::kBadDataReply);
}

}  // namespace

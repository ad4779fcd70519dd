// The stand-in simulator: its window as a user drives it, its command line, and how
// it serves request areas, including areas that a careless or hostile client names.

#include <gtest/gtest.h>
#include <windows.h>

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

    template <typename Condition>
    static bool Eventually(Condition condition) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (condition()) return true;
            Sleep(50);
        }
        return false;
    }

    Win32IpcTransport transport_;
    Fsuipc link_{transport_};
    StandInProcess simulator_;
    IpcResult result_ = IpcOk;
};

TEST_F(StandInWindowDriven, StepsAndTypedFrequenciesKeepTheExactFrequencyAndWrapAroundTheBand) {
    StartAndOpen(L"--com1 122.80");
    EXPECT_EQ(Shown(), L"122.80");
    for (uint16_t bcd : {0x2282, 0x2285, 0x2287, 0x2290}) {  // channel steps: two decimals shown
        Press(kUpKhzButton);
        EXPECT_EQ(ReadCom1(), bcd);
    }
    EXPECT_EQ(Shown(), L"122.90");
    Press(kDownKhzButton);
    EXPECT_EQ(ReadCom1(), 0x2287);
    EXPECT_EQ(Shown(), L"122.87");

    Type(L"136.50");
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

TEST_F(StandInWindowDriven, ShowsTheClientsServedAndRetunesOnSchedule) {
    ASSERT_TRUE(simulator_.Start(L"--com1 122.80 --schedule 123.45@0,124.50@1000"));
    const auto status = [&] {
        wchar_t text[128] = L"";
        GetDlgItemTextW(simulator_.Window(), kStatusText, text, 128);
        return std::wstring(text);
    };
    EXPECT_EQ(status(), L"Waiting for a client");
    link_.IpcInit();
    ASSERT_TRUE(link_.IpcOpen(0, result_)) << result_;
    const uint16_t first = ReadCom1();
    EXPECT_TRUE(first == 0x2345 || first == 0x2450) << std::hex << first;
    // The handshake (two reads and a write) and the COM1 read; the status line follows on
    // the window's refresh timer.
    EXPECT_TRUE(Eventually([&] { return status() == L"Client served: 4 requests in 2 exchanges"; }))
        << status();
    EXPECT_TRUE(Eventually([&] { return ReadCom1() == 0x2450; }));
}

TEST(StandInProgram, ClosesItselfWhenAskedTo) {
    StandInProcess simulator;
    ASSERT_TRUE(simulator.Start(L"--exit-after 300"));
    DWORD exitCode = 1;
    ASSERT_TRUE(simulator.WaitForExit(10000, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// ---------------------------------------------------------------- serving areas

TEST(AtomFromParam, TakesTheAtomZeroOrSignExtendedAndRefusesWhatCannotBeAnAtom) {
    const uintptr_t signExtended = static_cast<uintptr_t>(static_cast<intptr_t>(int16_t(-16093)));
    EXPECT_EQ(AtomFromParam(0xC123), 0xC123);
    EXPECT_EQ(AtomFromParam(signExtended), 0xC123);
    EXPECT_EQ(AtomFromParam(0x1234), 0x1234);
    // A 32-bit client's value as a 64-bit receiver may see it.
    EXPECT_EQ(AtomFromParam(static_cast<uintptr_t>(0xFFFFC123u)), 0xC123);
    for (uintptr_t bad : {uintptr_t{0x10000}, uintptr_t{0x12345678}, uintptr_t{0x8000C123u}}) {
        EXPECT_EQ(AtomFromParam(bad), 0) << std::hex << bad;
    }
    if (sizeof(uintptr_t) == 8) {
        EXPECT_EQ(AtomFromParam(static_cast<uintptr_t>(0xFFFFFFFF0000C123ull)), 0);
        EXPECT_EQ(AtomFromParam(static_cast<uintptr_t>(0x000000010000C123ull)), 0);
    }
}

TEST(AreaServing, RejectsAtomsThatNameNoUsableArea) {
    SimServerCore core;
    EXPECT_EQ(ServeAreaRequest(core, 0), kRejectedReply);
    EXPECT_EQ(ServeAreaRequest(core, 0x12345678), kRejectedReply);
    const ATOM orphan = GlobalAddAtomA("BrenvaleTest:no mapping");
    ASSERT_NE(orphan, 0);
    EXPECT_EQ(ServeAreaRequest(core, orphan), kRejectedReply);
    GlobalDeleteAtom(orphan);
    EXPECT_EQ(ServeAreaRequest(core, orphan), kRejectedReply);  // deleted: no name at all
    EXPECT_EQ(core.ExchangesServed(), 0u);
}

TEST(AreaServing, ServesAnAreaSmallerThanTheProtocolSaysWithoutLeavingIt) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    // A one-page mapping with its atom, as a client would make them.
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, page,
                                        "BrenvaleTest:one page");
    ASSERT_NE(mapping, nullptr);
    auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    const ATOM atom = GlobalAddAtomA("BrenvaleTest:one page");
    ASSERT_TRUE(view && atom);
    // The atom as the client sends it: sign-extended.
    const auto param = static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int16_t>(atom)));

    // A write that skips to a COM1 read which fits, with its terminator, at the page's end.
    uint8_t* read = view + page - 24;
    StoreLe32(view, WriteRequest);
    StoreLe32(view + 8, page - 24 - 12);
    StoreLe32(read, ReadRequest);
    StoreLe32(read + 4, kCom1Offset);
    StoreLe32(read + 8, 2);
    StoreLe32(read + 18, EndOfRequests);  // after the two data bytes at 16
    SimServerCore core;
    core.SetCom1Bcd(0x2345);
    EXPECT_EQ(ServeAreaRequest(core, param), 1u);
    EXPECT_EQ(LoadLe16(read + 16), 0x2345);

    // A read that would fit a full-sized area but runs past this one: refused, and
    // nothing beyond the page touched (that would have faulted).
    StoreLe32(read + 8, page);
    EXPECT_EQ(ServeAreaRequest(core, param), SimServerCore::kBadDataReply);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    GlobalDeleteAtom(atom);
}

}  // namespace

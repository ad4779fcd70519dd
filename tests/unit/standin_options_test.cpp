// What a pilot types to the stand-in simulator: COM1 frequencies and its command line.

#include <gtest/gtest.h>

#include "tools/standin-sim/Com1Radio.h"
#include "tools/standin-sim/StandInOptions.h"

TEST(Com1Radio, ParseKeepsToTheBandAndTheRadiosWayOfWriting) {
    const struct {
        const wchar_t* typed;
        uint32_t khz;  // 0: refused
    } cases[] = {
        {L"122.80", 122800},  {L"122.8", 122800},   {L"122.87", 122875},
        {L"122.825", 122825}, {L" 123\t", 123000},  {L"118.000", 118000},
        {L"136.99", 136990},  {L"136.999", 136999}, {L"117.975", 0},
        {L"137.00", 0},       {L"137", 0},          {L"12.80", 0},
        {L"1228.0", 0},       {L"122,80", 0},       {L"122.", 0},
        {L"118.0000", 0},     {L"122.8x", 0},       {L"", 0},
        {L"-122.80", 0},
    };
    for (const auto& c : cases) {
        uint32_t khz = 1;
        EXPECT_EQ(Com1Radio::Parse(c.typed, khz), c.khz != 0) << c.typed;
        EXPECT_EQ(khz, c.khz != 0 ? c.khz : 1) << c.typed << ": refused leaves it unchanged";
    }
}

TEST(StandInOptions, ValuesAreCheckedAgainstTheirRange) {
    using Read = uint64_t (*)(const StandInOptions&);
    const Read com1 = [](const StandInOptions& o) -> uint64_t { return o.com1Khz; };
    const Read sim = [](const StandInOptions& o) -> uint64_t { return o.simulator; };
    const Read version = [](const StandInOptions& o) -> uint64_t {
        return static_cast<uint32_t>(o.serverVersion);
    };
    const Read delay = [](const StandInOptions& o) -> uint64_t { return o.delayMs; };
    const Read hangAfter = [](const StandInOptions& o) -> uint64_t { return o.hang * o.hangAfter; };
    const struct {
        std::vector<std::wstring> args;
        const wchar_t* error;  // empty: accepted, and `read` gives `value`
        Read read;
        uint64_t value;
    } cases[] = {
        {{L"--com1", L"118.00"}, L"", com1, 118000},
        {{L"--com1", L"137.00"}, L"Bad value for --com1: 137.00", com1, 0},
        {{L"--sim", L"0xFFFF"}, L"", sim, 0xFFFF},
        {{L"--sim", L"65536"}, L"Bad value for --sim: 65536", sim, 0},
        {{L"--version", L"0xFFFFFFFF"}, L"", version, 0xFFFFFFFF},
        {{L"--version", L"0x100000000"}, L"Bad value for --version: 0x100000000", version, 0},
        {{L"--delay", L"0x"}, L"Bad value for --delay: 0x", delay, 0},
        {{L"--delay", L"-1"}, L"Bad value for --delay: -1", delay, 0},
        {{L"--delay", L"25ms"}, L"Bad value for --delay: 25ms", delay, 0},
        {{L"--delay"}, L"Missing value after --delay", delay, 0},
        {{L"--hang-after", L"3"}, L"", hangAfter, 3},
        {{L"--com", L"122.80"}, L"Unknown option: --com", com1, 0},
        {{L"--schedule", L"122.80@500,"}, L"Bad value for --schedule: 122.80@500,", com1, 0},
        {{L"--schedule", L"122.80"}, L"Bad value for --schedule: 122.80", com1, 0},
    };
    for (const auto& c : cases) {
        StandInOptions options;
        std::wstring error;
        EXPECT_EQ(ParseStandInOptions(c.args, options, error), *c.error == L'\0') << c.args[0];
        EXPECT_EQ(error, c.error);
        if (*c.error == L'\0') {
            EXPECT_EQ(c.read(options), c.value) << c.args[0];
        }
    }
}

TEST(StandInOptions, TheScheduleIsKeptInTimeOrder) {
    StandInOptions options;
    std::wstring error;
    ASSERT_TRUE(ParseStandInOptions({L"--schedule", L"123.45@2000,122.82@500"}, options, error));
    std::vector<std::pair<uint32_t, uint32_t>> kept;  // when, and what
    for (const ScheduledFrequency& at : options.schedule) kept.push_back({at.atMs, at.khz});
    EXPECT_EQ(kept, (std::vector<std::pair<uint32_t, uint32_t>>{{500, 122825}, {2000, 123450}}));
}

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

TEST(StandInOptions, ValuesAreCheckedAgainstTheirRangeAndTheScheduleKeptInTimeOrder) {
    const std::pair<std::vector<std::wstring>, const wchar_t*> refused[] = {
        {{L"--com1", L"137.00"}, L"Bad value for --com1: 137.00"},
        {{L"--sim", L"65536"}, L"Bad value for --sim: 65536"},
        {{L"--version", L"0x100000000"}, L"Bad value for --version: 0x100000000"},
        {{L"--delay", L"0x"}, L"Bad value for --delay: 0x"},
        {{L"--delay", L"-1"}, L"Bad value for --delay: -1"},
        {{L"--delay", L"25ms"}, L"Bad value for --delay: 25ms"},
        {{L"--delay"}, L"Missing value after --delay"},
        {{L"--com", L"122.80"}, L"Unknown option: --com"},
        {{L"--schedule", L"122.80@500,"}, L"Bad value for --schedule: 122.80@500,"},
        {{L"--schedule", L"122.80"}, L"Bad value for --schedule: 122.80"},
    };
    StandInOptions options;
    std::wstring error;
    for (const auto& [args, reason] : refused) {
        EXPECT_FALSE(ParseStandInOptions(args, options, error)) << args[0];
        EXPECT_EQ(error, reason);
    }
    options = {};
    ASSERT_TRUE(
        ParseStandInOptions({L"--com1", L"118.00", L"--sim", L"0xFFFF", L"--version", L"0xFFFFFFFF",
                             L"--hang-after", L"3", L"--schedule", L"123.45@2000,122.82@500"},
                            options, error))
        << error;
    EXPECT_EQ(options.com1Khz, 118000u);
    EXPECT_EQ(options.simulator, 0xFFFF);
    EXPECT_EQ(static_cast<uint32_t>(options.serverVersion), 0xFFFFFFFFu);
    EXPECT_EQ(options.hang * options.hangAfter, 3u);  // --hang-after also hangs
    std::vector<std::pair<uint32_t, uint32_t>> kept;  // when, and what
    for (const ScheduledFrequency& at : options.schedule) kept.push_back({at.atMs, at.khz});
    EXPECT_EQ(kept, (std::vector<std::pair<uint32_t, uint32_t>>{{500, 122825}, {2000, 123450}}));
}

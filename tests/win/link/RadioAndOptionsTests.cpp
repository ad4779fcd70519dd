// The stand-in simulator's COM1 radio and its command line.

#include <gtest/gtest.h>

#include "tools/standin-sim/Com1Radio.h"
#include "tools/standin-sim/StandInOptions.h"

namespace {

TEST(Com1Radio, ChannelStepsKeepKilohertzButShowTwoDecimals) {
    Com1Radio radio(122800);
    radio.Step(25);
    EXPECT_EQ(radio.Khz(), 122825u);
    EXPECT_EQ(radio.Text(), L"122.82");
    EXPECT_EQ(radio.Bcd(), 0x2282);
    radio.Step(25);
    EXPECT_EQ(radio.Text(), L"122.85");
    radio.Step(25);
    EXPECT_EQ(radio.Bcd(), 0x2287);
    radio.Step(25);
    EXPECT_EQ(radio.Bcd(), 0x2290);
}

TEST(Com1Radio, StepsWrapAtBothEndsOfTheBand) {
    Com1Radio radio(136975);
    radio.Step(25);
    EXPECT_EQ(radio.Khz(), 118000u);
    radio.Step(-25);
    EXPECT_EQ(radio.Khz(), 136975u);
    radio.Tune(118500);
    radio.Step(-1000);
    EXPECT_EQ(radio.Khz(), 136500u);
    radio.Step(1000);
    EXPECT_EQ(radio.Khz(), 118500u);
}

TEST(Com1Radio, TuningOutsideTheBandIsRefused) {
    Com1Radio radio(122800);
    EXPECT_FALSE(radio.Tune(117999));
    EXPECT_FALSE(radio.Tune(137000));
    EXPECT_EQ(radio.Khz(), 122800u);
    EXPECT_TRUE(radio.Tune(136999));
    EXPECT_EQ(radio.Text(), L"136.99");
    EXPECT_EQ(radio.Bcd(), 0x3699);
}

TEST(Com1Radio, ReadsTypedFrequenciesAsTheRadioMeansThem) {
    uint32_t khz = 0;
    ASSERT_TRUE(Com1Radio::Parse(L"122.80", khz));
    EXPECT_EQ(khz, 122800u);
    ASSERT_TRUE(Com1Radio::Parse(L" 122.82 ", khz));
    EXPECT_EQ(khz, 122825u);
    ASSERT_TRUE(Com1Radio::Parse(L"122.87", khz));
    EXPECT_EQ(khz, 122875u);
    ASSERT_TRUE(Com1Radio::Parse(L"122.81", khz));
    EXPECT_EQ(khz, 122810u);
    ASSERT_TRUE(Com1Radio::Parse(L"122.8", khz));
    EXPECT_EQ(khz, 122800u);
    ASSERT_TRUE(Com1Radio::Parse(L"122.835", khz));
    EXPECT_EQ(khz, 122835u);
    ASSERT_TRUE(Com1Radio::Parse(L"123", khz));
    EXPECT_EQ(khz, 123000u);
}

TEST(Com1Radio, RefusesTextThatIsNoFrequencyInTheBand) {
    uint32_t khz = 4;
    for (const wchar_t* text : {L"", L"117.99", L"137.00", L"12.80", L"1228.0", L"122.8000",
                                L"122,80", L"122.", L".80", L"abc", L"122.8x", L"-122.80"}) {
        EXPECT_FALSE(Com1Radio::Parse(text, khz)) << text;
    }
    EXPECT_EQ(khz, 4u);
}

StandInOptions Parsed(std::vector<std::wstring> args) {
    StandInOptions options;
    std::wstring error;
    EXPECT_TRUE(ParseStandInOptions(args, options, error)) << error;
    return options;
}

std::wstring Refusal(std::vector<std::wstring> args) {
    StandInOptions options;
    std::wstring error;
    EXPECT_FALSE(ParseStandInOptions(args, options, error));
    return error;
}

TEST(StandInOptions, ReadsEveryOption) {
    const StandInOptions o = Parsed({L"--class",         L"FS98MAIN",
                                     L"--version",       L"0x80000001",
                                     L"--sim",           L"5",
                                     L"--signature",     L"0xBEEF",
                                     L"--reply",         L"0",
                                     L"--delay",         L"250",
                                     L"--zero-versions", L"--malformed",
                                     L"--com1",          L"136.97",
                                     L"--exit-after",    L"9000",
                                     L"--title",         L"Second sim",
                                     L"--hang-after",    L"0"});
    EXPECT_EQ(o.windowClass, "FS98MAIN");
    EXPECT_EQ(static_cast<uint32_t>(o.serverVersion), 0x80000001u);
    EXPECT_EQ(o.simulator, 5);
    EXPECT_EQ(o.signature, 0xBEEF);
    EXPECT_EQ(o.replyValue, 0u);
    EXPECT_EQ(o.delayMs, 250u);
    EXPECT_TRUE(o.zeroVersions);
    EXPECT_TRUE(o.malformed);
    EXPECT_EQ(o.com1Khz, 136975u);
    EXPECT_EQ(o.exitAfterMs, 9000u);
    EXPECT_EQ(o.title, L"Second sim");
    EXPECT_TRUE(o.hang);
    EXPECT_EQ(o.hangAfter, 0u);
}

TEST(StandInOptions, ScheduleIsKeptInTimeOrder) {
    const StandInOptions o = Parsed({L"--schedule", L"123.45@3000,122.80@0,118.00@500"});
    ASSERT_EQ(o.schedule.size(), 3u);
    EXPECT_EQ(o.schedule[0].khz, 122800u);
    EXPECT_EQ(o.schedule[1].atMs, 500u);
    EXPECT_EQ(o.schedule[2].khz, 123450u);
}

TEST(StandInOptions, RefusesWhatItCannotUse) {
    EXPECT_EQ(Refusal({L"--bogus"}), L"Unknown option: --bogus");
    EXPECT_EQ(Refusal({L"--delay"}), L"Missing value after --delay");
    EXPECT_EQ(Refusal({L"--class", L"OTHER"}), L"Bad value for --class: OTHER");
    for (std::vector<std::wstring> args : {std::vector<std::wstring>{L"--sim", L"65536"},
                                           {L"--signature", L"0x1FFFF"},
                                           {L"--version", L"0x100000000"},
                                           {L"--delay", L"-1"},
                                           {L"--delay", L"12ms"},
                                           {L"--reply", L"0x"},
                                           {L"--com1", L"140.00"},
                                           {L"--schedule", L"122.80"},
                                           {L"--schedule", L"122.80@0,"},
                                           {L"--schedule", L"999.00@0"}}) {
        EXPECT_FALSE(Refusal(args).empty()) << args[0] << L" " << args[1];
    }
}

}  // namespace

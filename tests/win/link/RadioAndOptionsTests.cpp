// The stand-in simulator's COM1 radio and its command line. How the radio steps and
// wraps is driven through its window in StandInTests.

#include <gtest/gtest.h>

#include <sstream>

#include "tools/standin-sim/Com1Radio.h"
#include "tools/standin-sim/StandInOptions.h"

namespace {

TEST(Com1Radio, TunesOnlyInsideTheBand) {
    Com1Radio radio(122800);
    EXPECT_FALSE(radio.Tune(117999));
    EXPECT_FALSE(radio.Tune(137000));
    EXPECT_EQ(radio.Khz(), 122800u);
    EXPECT_TRUE(radio.Tune(136999));
    EXPECT_EQ(radio.Text(), L"136.99");
    EXPECT_EQ(radio.Bcd(), 0x3699);
}

TEST(Com1Radio, ReadsTypedFrequenciesAsTheRadioMeansThemAndRefusesTheRest) {
    const std::pair<const wchar_t*, uint32_t> meant[] = {
        {L"122.80", 122800}, {L" 122.82 ", 122825}, {L"122.87", 122875}, {L"122.81", 122810},
        {L"122.8", 122800},  {L"122.835", 122835},  {L"123", 123000}};
    for (const auto& [text, expected] : meant) {
        uint32_t khz = 0;
        EXPECT_TRUE(Com1Radio::Parse(text, khz) && khz == expected) << text << " gave " << khz;
    }
    uint32_t khz = 4;
    for (const wchar_t* text : {L"", L"117.99", L"137.00", L"12.80", L"1228.0", L"122.8000",
                                L"122,80", L"122.", L".80", L"abc", L"122.8x", L"-122.80"}) {
        EXPECT_FALSE(Com1Radio::Parse(text, khz)) << text;
    }
    EXPECT_EQ(khz, 4u);
}

// The arguments of a command line whose words hold no blanks.
std::vector<std::wstring> Args(const std::wstring& line) {
    std::wistringstream words(line);
    std::vector<std::wstring> args;
    for (std::wstring word; words >> word;) args.push_back(word);
    return args;
}

TEST(StandInOptions, ReadsEveryOptionAndKeepsTheScheduleInTimeOrder) {
    StandInOptions o;
    std::wstring error;
    ASSERT_TRUE(ParseStandInOptions(
        Args(L"--class FS98MAIN --version 0x80000001 --sim 5 --signature 0xBEEF --reply 0 "
             L"--delay 250 --zero-versions --malformed --com1 136.97 --exit-after 9000 "
             L"--title Second --hang-after 0 --schedule 123.45@3000,122.80@0,118.00@500"),
        o, error))
        << error;
    EXPECT_EQ(o.windowClass, "FS98MAIN");
    EXPECT_EQ(static_cast<uint32_t>(o.serverVersion), 0x80000001u);
    EXPECT_EQ(o.simulator, 5);
    EXPECT_EQ(o.signature, 0xBEEF);
    EXPECT_EQ(o.replyValue, 0u);
    EXPECT_EQ(o.delayMs, 250u);
    EXPECT_TRUE(o.zeroVersions && o.malformed && o.hang);
    EXPECT_EQ(o.com1Khz, 136975u);
    EXPECT_EQ(o.exitAfterMs, 9000u);
    EXPECT_EQ(o.title, L"Second");
    EXPECT_EQ(o.hangAfter, 0u);
    ASSERT_EQ(o.schedule.size(), 3u);
    EXPECT_EQ(o.schedule[0].khz, 122800u);
    EXPECT_EQ(o.schedule[1].atMs, 500u);
    EXPECT_EQ(o.schedule[2].khz, 123450u);
}

TEST(StandInOptions, RefusesWhatItCannotUseAndSaysWhy) {
    const auto refusal = [](const wchar_t* line) {
        StandInOptions options;
        std::wstring error;
        EXPECT_FALSE(ParseStandInOptions(Args(line), options, error)) << line;
        return error;
    };
    EXPECT_EQ(refusal(L"--bogus"), L"Unknown option: --bogus");
    EXPECT_EQ(refusal(L"--delay"), L"Missing value after --delay");
    EXPECT_EQ(refusal(L"--class OTHER"), L"Bad value for --class: OTHER");
    for (const wchar_t* line :
         {L"--sim 65536", L"--signature 0x1FFFF", L"--version 0x100000000", L"--delay -1",
          L"--delay 12ms", L"--reply 0x", L"--com1 140.00", L"--schedule 122.80",
          L"--schedule 122.80@0,", L"--schedule 999.00@0"}) {
        EXPECT_FALSE(refusal(line).empty()) << line;
    }
}

}  // namespace

// What COM1's radio shows, and the way back from a shown text to its channel.

#include <gtest/gtest.h>

#include "ipc/Com1Display.h"

TEST(Com1Display, EachChannelShowsATextThatLeadsBackToIt) {
    for (uint32_t khz = kCom1LowestKhz; khz <= kCom1HighestKhz; khz += 25) {
        const std::wstring text = Com1ShownText(khz);
        EXPECT_TRUE(RadioShows(text) && ChannelKhz(ShownHundredths(text)) == khz) << text;
    }
    EXPECT_EQ(Com1ShownText(122825) + L" in " + Com1BandText(), L"122.82 in 118.00 to 136.99");
    EXPECT_EQ(ChannelKhz(12281), 122810u) << "a text no channel shows reads as written";
    for (const wchar_t* text : {L"117.97", L"137.00", L"122.81", L"122.83", L"122.8", L"122.800",
                                L"1x2.80", L"122,80", L"022.80"}) {
        EXPECT_FALSE(RadioShows(text)) << text;
    }
}

#pragma once
// Text in 16-bit units as Windows holds it, with surrogates whole, alone and reversed, and
// how the naming of characters outside Windows-1252 answers for each: a pair is one
// character, named with its code point; a unit alone is no character, named by number.
// The native tests ask the portable code page, the Windows tests the system's, where a
// 16-bit wchar_t brings such text from any table or name.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CodePageFit.h"

namespace surrogates {

// The naming over `codec`, whose code page is Windows-1252: no example converts whole, and
// the characters named and their description are exactly the expected ones.
inline void ExpectNamings(TextCodec& codec) {
    const wchar_t kHigh = 0xD83D, kLow = 0xDC80;  // U+1F480 as a pair
    const std::wstring high(1, kHigh), low(1, kLow), pair{kHigh, kLow};
    const std::wstring pairShown = L"\"" + pair + L"\" (U+1F480)";
    const struct {
        std::wstring text;
        std::vector<std::wstring> outside;  // CharactersOutsideCodePage's answer
        std::wstring described;             // DescribeCharacters of it
    } namings[] = {
        {pair + L"!", {pair}, pairShown},                // first
        {L"Skull " + pair, {pair}, pairShown},           // last
        {L"a" + high + L"b" + high, {high}, L"U+D83D"},  // lone high, before text and last
        {L"a" + low + L"b" + low, {low}, L"U+DC80"},     // lone low
        {low + high, {low, high}, L"U+DC80, U+D83D"},    // reversed
        {high + pair + pair, {high, pair}, L"U+D83D, " + pairShown},  // a high, then a pair
    };
    for (const auto& example : namings) {
        std::string bytes;
        EXPECT_FALSE(codec.ToSystemCodePage(example.text, bytes)) << example.described;
        const std::vector<std::wstring> outside = CharactersOutsideCodePage(example.text, codec);
        EXPECT_EQ(outside, example.outside) << example.described;
        EXPECT_EQ(DescribeCharacters(outside), example.described);
    }
}

}  // namespace surrogates

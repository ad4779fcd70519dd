// Numbers as the program shows them: in captions ("IPC result -1"), in "Error <code>"
// texts and in the mapping name's process id.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "ipc/NumberText.h"

TEST(NumberText, DecimalCoversBothEndsOfEachRange) {
    EXPECT_EQ(DecimalText<wchar_t>(0), L"0");
    EXPECT_EQ(DecimalText<wchar_t>(int32_t{-1}), L"-1");
    EXPECT_EQ(DecimalText<wchar_t>(int32_t{16}), L"16");
    EXPECT_EQ(DecimalText<char>(std::numeric_limits<int32_t>::min()), "-2147483648");
    EXPECT_EQ(DecimalText<char>(std::numeric_limits<int32_t>::max()), "2147483647");
    EXPECT_EQ(DecimalText<wchar_t>(std::numeric_limits<uint32_t>::max()), L"4294967295");
    EXPECT_EQ(DecimalText<wchar_t>(uint32_t{805306367}), L"805306367");
}

TEST(NumberText, HexIsUpperCaseWithoutLeadingZeros) {
    EXPECT_EQ(HexText<char>(0), "0");
    EXPECT_EQ(HexText<char>(0x0A), "A");
    EXPECT_EQ(HexText<char>(0x100), "100");
    EXPECT_EQ(HexText<wchar_t>(0xDEADBEEF), L"DEADBEEF");
    EXPECT_EQ(HexText<char>(std::numeric_limits<uint32_t>::max()), "FFFFFFFF");
}

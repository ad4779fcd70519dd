// Numbers as the program shows them: in captions ("IPC result -1"), in "Error <code>"
// texts and in the mapping name's process id.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "ipc/Fsuipc.h"
#include "ipc/NumberText.h"

TEST(NumberText, DecimalAndUpperCaseHexCoverBothEndsOfEachRange) {
    EXPECT_EQ(DecimalText<wchar_t>(0), L"0");
    EXPECT_EQ(DecimalText<wchar_t>(int32_t{-1}), L"-1");
    EXPECT_EQ(DecimalText<char>(std::numeric_limits<int32_t>::min()), "-2147483648");
    EXPECT_EQ(DecimalText<char>(std::numeric_limits<int32_t>::max()), "2147483647");
    EXPECT_EQ(DecimalText<wchar_t>(std::numeric_limits<uint32_t>::max()), L"4294967295");
    EXPECT_EQ(HexText<char>(0), "0");
    EXPECT_EQ(HexText<char>(0x100), "100") << "no leading zeros, inner zeros kept";
    EXPECT_EQ(HexText<wchar_t>(0xDEADBEEF), L"DEADBEEF");
}

TEST(MappingName, TheLargestProcessIdStillFits) {
    char name[24];
    Fsuipc::MakeMappingName(0xFFFFFFFF, name);
    EXPECT_STREQ(name, "FSASMLIB:IPC:FFFFFFFF:1");
}

// The table file's characters: which bytes make a byte order mark.

#include "FakePlatform.h"

// Only a whole mark selects an encoding, and it is no character, nor is a byte left after
// the last 16-bit character. (Every encoding in pieces, loaded: app_channel_table_test.)
TEST(TableSource, OnlyAWholeByteOrderMarkSelectsAnEncodingAndIsNoCharacter) {
    const std::tuple<std::string, TextEncoding, std::wstring> cases[] = {
        {"\xEF\xBB\xBFz\xC3\xA9", TextEncoding::Utf8, L"z\u00C3\u00A9"},  // bytes, not yet text
        {"\xFE\xFF" + Utf16(L"z\u20AC", true) + "q", TextEncoding::Utf16Be, L"z\u20AC"},
        {"\xFF\xFE", TextEncoding::Utf16Le, L""},
        {"\xEF\xBBz", TextEncoding::Ansi, L"\u00EF\u00BBz"},  // a mark cut short is text
        {"\xFF", TextEncoding::Ansi, L"\u00FF"},
    };
    for (const auto& [bytes, marked, units] : cases) {
        for (size_t chunk : {1, 4096}) {
            BytesReader file(bytes, chunk);
            TableSource source(file);
            std::wstring read;
            for (wchar_t unit; source.Peek(unit); source.Advance()) read.push_back(unit);
            EXPECT_EQ(read, units) << bytes.size() << " bytes in pieces of " << chunk;
            EXPECT_EQ(source.Marked(), marked);
            EXPECT_EQ(source.HasMark(), marked != TextEncoding::Ansi);
        }
    }
}

// The channel table's load, through the window's: records, encodings, the table's limits,
// and a failure while a record is read.

#include "FakePlatform.h"

using SlotValue = std::tuple<int, ChannelColumns::Column ChannelColumns::*, const wchar_t*>;

TEST(ChannelTable, OnlyTheFieldCountMakesARecordUpToTwoHundred) {
    using C = ChannelColumns;
    const std::tuple<std::string, int, std::vector<SlotValue>> cases[] = {
        {Records(200), 200, {{1, &C::Frequency, L"118.00"}, {200, &C::SubChannel, L"sub200"}}},
        {Records(250), 200, {{200, &C::Server, L"server200"}}},  // the rest ignored silently
        // A record cut short is dropped, but its fields stay in the next slot.
        {Records(2) + "A, B,C,D",
         2,
         {{3, &C::Frequency, L"A"}, {3, &C::Password, L"D"}, {3, &C::Channel, L""}}},
        {"121.50,s1,l1,p1,c1,x1,122.80,s2,l2,p2,c2,x2\n123.45,s3,l3\np3,c3,x3",
         3,
         {{2, &C::Frequency, L"122.80"}, {3, &C::Password, L"p3"}, {3, &C::SubChannel, L"x3"}}},
        // Empty lines at the end start a record that the end cuts short, until six of them
        // make six empty fields: a whole record.
        {Records(3) + "\r\n", 3, {}},
        {Records(3) + "\n\n\n\n\n\n", 4, {}},
        {"", 0, {}},
    };
    for (const auto& [bytes, count, slots] : cases) {
        FakeApp app;
        const FrmMain& window = app.LoadTable(bytes);
        EXPECT_EQ(window.ChannelCount, count) << bytes.substr(0, 80);
        for (const auto& [slot, column, value] : slots) {
            EXPECT_EQ((window.ChannelTable.*column)[slot], value);
        }
        EXPECT_TRUE(app.sys.boxes.empty());
        EXPECT_EQ(app.general.SessionName, L"Pilot");  // the load went on
    }
}

TEST(ChannelTable, EveryEncodingGivesTheSameRecordsAndOnlyTheLoadedRecordsDecideIt) {
    const std::wstring text =
        L"122.80,M\u00FCnchen Radar,l\u00E9a,p,\"Approach, \u00C4\",x\r\n123.45,s,l,p,c,x\r\n";
    const std::string utf8 =
        "122.80,M\xC3\xBCnchen Radar,l\xC3\xA9"
        "a,p,\"Approach, \xC3\x84\",x\r\n"
        "123.45,s,l,p,c,x\r\n";
    const std::string files[] = {
        Narrow(text),  // the system's code page (Windows-1252 in the fakes)
        utf8,
        "\xEF\xBB\xBF" + utf8,
        "\xFF\xFE" + Utf16(text, false),
        "\xFE\xFF" + Utf16(text, true),
    };
    for (const std::string& file : files) {
        for (size_t chunk : {size_t{1}, SIZE_MAX}) {
            FakeApp app;
            app.sys.readChunk = chunk;
            const FrmMain& window = app.LoadTable(file);
            ASSERT_EQ(window.ChannelCount, 2) << file;
            EXPECT_EQ(window.ChannelTable.Frequency[1], L"122.80");  // no mark in front
            EXPECT_EQ(window.ChannelTable.Server[1], L"M\u00FCnchen Radar");
            EXPECT_EQ(window.ChannelTable.LoginName[1], L"l\u00E9a");
            EXPECT_EQ(window.ChannelTable.Channel[1], L"Approach, \u00C4");
            EXPECT_EQ(window.ChannelTable.SubChannel[2], L"x");
            EXPECT_EQ(app.sys.decodedWhileOpen, 0) << "the file is closed first";
        }
    }

    const std::pair<std::string, const wchar_t*> judged[] = {
        {"122.80,Caf\xC3\xA9,l,p,c,x", L"Caf\u00E9"},                       // valid UTF-8
        {"122.80,Caf\xE9,l,p,c,\xC3\xA9", L"Caf\u00E9"},                    // not: ANSI
        {"\xE9,Caf\xC3\xA9,l,p,c,x", L"Caf\u00C3\u00A9"},                   // first field: ANSI
        {"122.80,\xC0\xAF,l,p,c,x", L"\u00C0\u00AF"},                       // overlong: ANSI
        {"122.80,\xED\xA0\x80\x9F,l,p,c,x", L"\u00ED\u00A0\u20AC\u0178"},   // surrogate: ANSI
        {Records(199) + "122.80,Caf\xC3\xA9,l,p,c,x\n\xE9", L"Caf\u00E9"},  // past 200: unread
        // Both bytes of a 16-bit character count, in either order.
        {"\xFF\xFE" + Utf16(L"122.80,\u20AC\u0141,l,p,c,x", false), L"\u20AC\u0141"},
        {"\xFE\xFF" + Utf16(L"122.80,\u20AC\u0141,l,p,c,x", true), L"\u20AC\u0141"},
    };
    for (const auto& [file, server] : judged) {
        FakeApp app;
        const FrmMain& window = app.LoadTable(file);
        EXPECT_EQ(window.ChannelTable.Server[window.ChannelCount], server) << file.substr(0, 40);
    }
    FakeApp first;  // the only high byte in the first field still counts
    EXPECT_EQ(first.LoadTable("Caf\xC3\xA9,s,l,p,c,x").ChannelTable.Frequency[1], L"Caf\u00E9");
}

// Natively wchar_t holds 32 bits, so a surrogate pair becomes the one character it stands
// for, as from UTF-8; a surrogate without its partner stays, a value that is no character.
TEST(ChannelTable, AUtf16SurrogatePairIsOneCharacterAndALoneSurrogateStaysAsItIs) {
    const std::wstring high(1, 0xD83D), low(1, 0xDC80);
    const std::wstring firstAndLast{0xD800, 0xDC00, 0xDBFF, 0xDFFF};  // U+10000, U+10FFFF
    const std::wstring fields = L"122.80,Skull " + high + low + L",a" + high + L"," + low + L"b," +
                                low + high + L"," + high + high + low + firstAndLast;
    for (bool bigEndian : {false, true}) {
        FakeApp app;
        const std::string mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        const FrmMain& window = app.LoadTable(mark + Utf16(fields, bigEndian));
        ASSERT_EQ(window.ChannelCount, 1);
        EXPECT_EQ(window.ChannelTable.Server[1], L"Skull \U0001F480");
        EXPECT_EQ(window.ChannelTable.LoginName[1], L"a" + high);
        EXPECT_EQ(window.ChannelTable.Password[1], low + L"b");
        EXPECT_EQ(window.ChannelTable.Channel[1], low + high);
        EXPECT_EQ(window.ChannelTable.SubChannel[1], high + L"\U0001F480\U00010000\U0010FFFF");
    }
}

TEST(ChannelTable, BytesThatAreNotUtf8InAMarkedFileBecomeReplacementCharactersInPlace) {
    FakeApp app;
    const FrmMain& window = app.LoadTable(
        "\xEF\xBB\xBF"
        "121.50,default.example,l,p,c,s\r\n"
        "122.80,tower.example,l,Caf\xE9,c\xE2\x82,s\r\n"
        "123.45,approach.example,l,p,c,s\r\n");
    ASSERT_EQ(window.ChannelCount, 3);
    EXPECT_EQ(window.ChannelTable.Password[2], L"Caf\uFFFD");
    EXPECT_EQ(window.ChannelTable.Channel[2], L"c\uFFFD");  // a sequence cut short: one
    EXPECT_EQ(window.ChannelTable.Server[3], L"approach.example");
    EXPECT_TRUE(app.sys.boxes.empty());
}

TEST(ChannelTable, StopsReadingWhereRecord201BeginsWhateverFollows) {
    const std::string tails[] = {
        std::string(1 << 20, 'x'),         // one field with no delimiter
        "\"" + std::string(1 << 20, ','),  // a quote never closed
        Records(20000),
    };
    for (const std::string& tail : tails) {
        FakeApp app;
        const std::string head = Records(200);
        EXPECT_EQ(app.LoadTable(head + tail).ChannelCount, 200);
        EXPECT_LE(app.sys.bytesRead, head.size() + 4096);
        EXPECT_TRUE(app.sys.boxes.empty());
        EXPECT_EQ(app.sys.openReaders, 0);
    }
}

TEST(ChannelTable, AFailureWhileARecordIsReadEndsTheTableThereAndTheLoadGoesOn) {
    const std::string head = Records(2) + "13,";
    const std::string record3 = head + "server3,login3,pass3,chan3,sub3\r\n";
    const std::tuple<std::string, size_t, bool> cases[] = {
        {record3, head.size() + 3, false},  // the file cannot be read on
        {record3, head.size() + 3, true},   // memory refused
        // A field longer than any command line, here a quote never closed: it ends there.
        {head + "\"server3" + std::string(1 << 20, ','), SIZE_MAX, false},
    };
    for (const auto& [file, failAfter, outOfMemory] : cases) {
        FakeApp app;
        app.sys.readChunk = 1;  // the failure comes exactly where it is put
        app.sys.failReadAfter = failAfter;
        app.sys.readFailsOutOfMemory = outOfMemory;
        const FrmMain& window = app.LoadTable(file);
        ASSERT_TRUE(app.general.StartUp());
        EXPECT_EQ(window.ChannelCount, 2);
        EXPECT_EQ(window.ChannelTable.SubChannel[2], L"sub2");
        EXPECT_EQ(window.ChannelTable.Frequency[3], L"13");  // read before the failure
        EXPECT_EQ(window.ChannelTable.Server[3], L"");       // the field being read
        EXPECT_TRUE(app.sys.boxes.empty());
        EXPECT_NE(app.sys.IndexOf("settings:get TSPath"), -1);  // TeamSpeak is looked for
        EXPECT_EQ(app.general.SessionName, L"Pilot");
        EXPECT_EQ(app.sys.openReaders, 0);
        EXPECT_LE(app.sys.bytesRead, head.size() + kLongestField + 4096);
    }
    FakeApp longest;  // a field of the longest length is kept whole
    const FrmMain& window =
        longest.LoadTable("122.80,\"" + std::string(kLongestField, 's') + "\",l,p,c,x");
    EXPECT_EQ(window.ChannelCount, 1);
    EXPECT_EQ(window.ChannelTable.Server[1].size(), kLongestField);
}

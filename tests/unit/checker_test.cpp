// The table checker (it loads through the program's own reader and record loop) warns
// about each thing the pilot likely did not mean; its exit statuses are seen by the package
// test. Its UTF-8 and code page stand-ins serve the fakes too.

#include <algorithm>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "tools/checker/TableCheck.h"
#include "tools/checker/Utf8.h"

namespace {

// The table as the checker sees it; reading the file fails once `failAfter` bytes are read.
checker::Table Check(const std::string& bytes, size_t failAfter = SIZE_MAX) {
    FakeSystem system;  // its code page and UTF-8, as the program's tests have them
    system.Add(FakeSystem::kTableFile, bytes);
    system.failReadAfter = failAfter;
    return checker::CheckTable(*system.OpenForReading(FakeSystem::kTableFile), system,
                               L"the system's code page");
}

std::string Line(const std::string& frequency, const std::string& tail = "s,l,p,c,x") {
    return frequency + "," + tail + "\r\n";
}

// The warnings as "record/line: text" lines.
std::vector<std::string> Warnings(const checker::Table& table) {
    std::vector<std::string> lines;
    for (const checker::Warning& w : table.warnings) {
        lines.push_back(std::to_string(w.record) + "/" + std::to_string(w.line) + ": " +
                        checker::ToUtf8Bytes(w.text));
    }
    return lines;
}

// Whether a warning stands where `expected` says ("record/line: ") and holds its parts
// (split at "|") in order.
bool Says(const std::string& warning, const std::string& expected) {
    const std::string where = expected.substr(0, expected.find(':') + 2);
    if (warning.rfind(where, 0) != 0) return false;
    size_t at = where.size(), from = where.size();
    while (from <= expected.size()) {
        const size_t end = std::min(expected.find('|', from), expected.size());
        at = warning.find(expected.substr(from, end - from), at);
        if (at == std::string::npos) return false;
        from = end + 1;
    }
    return true;
}

// The table's warnings are all of `expected`, each said as Says has it.
void ExpectWarnings(const checker::Table& table, const std::vector<std::string>& expected) {
    const std::vector<std::string> warnings = Warnings(table);
    EXPECT_EQ(warnings.size(), expected.size()) << ::testing::PrintToString(warnings);
    for (const std::string& e : expected) {
        EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(),
                                [&](const std::string& w) { return Says(w, e); }))
            << e << " in " << ::testing::PrintToString(warnings);
    }
}

TEST(CheckerTable, NamesEachFaultWithItsRecordAndLineAndNothingElse) {
    const struct {
        int count;
        std::string file;
        std::vector<std::string> warnings;  // "record/line: part|part", all of them
    } cases[] = {
        {200, Records(200) + "\n\n", {}},
        {2, "  \"121.50\" ,  s , \"l, m\",p,c,x\n122.80,s,l,p,c,x,\n\n", {}},
        {6,
         Line("121.50") + Line("121.50") + Line("1x2.80") + Line("117.97") + Line("136.99") +
             Line("122.825"),
         {"2/2: frequency 121.50 is already in record 1 (line 1)|never chooses this record",
          "3/3: not in the form", "4/4: outside the COM band 118.00 to 136.99|never chooses this",
          "5/5: (the two decimals end in 0, 2, 5 or 7)",
          "6/6: frequency 122.825 has three decimals, but the radio shows two, 122.82|never "
          "chooses this record; write 122.82"}},
        {200, Records(250), {"201/201: ignores the rest of the file (50 more records)"}},
        {0,
         "",
         {"0/0: is empty (no server, only the nickname); Brenvale uses record 1 for every "
          "frequency no record has; Brenvale starts TeamSpeak with record 1 as it is"}},
        {0, "122.80,,,,x", {"0/0: the fields of the record cut short", "1/1: ends after 5"}},
        {1,
         Line("122.80", "srv?x,l\"og,,\"ch?an\",sub\""),
         {"1/1: the server holds a question mark",
          "1/1: the login name holds a double quote|as \"l\" cut short",
          "1/1: the channel holds a question mark", "1/1: the sub-channel holds a double quote"}},
        {2,
         Line("122.80") + "\r\n" + Line("123.45") + "\r\n",
         {"2/2: line 2 is empty|record 2 is shifted|cuts record 3 short; Brenvale drops record 3; "
          "remove the empty line"}},
        {5,
         Line("122.80") + Line("122.85", "s,l,p,c") + Line("123.45") +
             Line("123.50", "s,l,p,c,x,y") + "124.00,,l,p\r\nc,x\r\n",
         {"2/2: line 2 has 5 of the 6 fields|records 2 to 4 are shifted|add the missing field "
          "(two commas in a row make an empty one)",
          "3/4: line 4 has 7 fields, more than a record's 6: a value holds a comma that is not "
          "inside double quotes (the password, the channel or the sub-channel)|splits the value "
          "there|example \"x,y\" if it is the sub-channel",
          "5/5: spread over lines 5 to 6", "5/5: the server is empty"}},
        {5,
         Line("122.80") + Line("122.85", "s,l,p") + "\r\n" + Line("123.45") +
             Line("123.50", "s,l,p,c,x,y,z") + Line("124.00"),
         {"2/2: line 2 has 4 of the 6 fields|records 2 to 5 are shifted|cuts record 6 short; "
          "Brenvale drops record 6; add the missing fields (two",
          "2/3: line 3 is empty|remove the empty line", "3/5: line 5 has 8 fields|holds commas"}},
        {1,
         Line("122.80") + "122.85,s,l,\"p,c,x\r\n" + Line("123.45") + Line("123.50") + "\r\n",
         {"2/2: the double quote that opens the password on line 2 is never closed|(lines 2 to 4) "
          "and swallows what would be records 3 to 4|cuts this record short; Brenvale drops this "
          "record; close the quote"}},
        {0,
         "122.80,s,l,\"p\n \t\nq\n\n",  // line ends of every kind; blank lines swallow nothing
         {"1/1: opens the password on line 1|(lines 1 to 3) and swallows what would be record 2,",
          "0/0: the fields of the record cut short"}},
        {0,
         "122.80;s;l;p;c;x\r\n123.45;s;l;p;c;x\r\n",
         {"0/0: 2 lines hold semicolons (the first is line 1) between the fields and no commas|no "
          "record is complete; Brenvale uses record 1|starts TeamSpeak with record 1 as it is; "
          "save the table with commas between the fields"}},
        {2,
         "FREQ,Server,Login,Password,Channel,Sub\r\n" + Line("122.80"),
         {"1/1: record 1 looks like a heading (its frequency field says \"FREQ\"), but Brenvale "
          "reads it as a channel, and record 1 is the default channel; Brenvale uses this record "
          "for every frequency no record has; remove the heading line"}},
        {1,
         Line("\"122.80\" x", "\"s\"" + std::string(70, 'y') + ",\"se\"\"cret\",\"pa\"\"ss\",c,x"),
         {"1/1: the server, written \"s\"" + std::string(64, 'y') +
              "..., has text after its",  // cut
          "1/1: the login name, written \"se\"\"cret\", holds a doubled double quote|keeps the "
          "part before it, \"se\", and drops the rest of the field; ask for (or choose) a login",
          "1/1: the password holds a doubled double quote|keeps the part before it and drops",
          "1/1: the frequency, written \"122.80\" x, has text after its closing double quote|"
          "keeps the part inside the quotes, \"122.80\", and drops|put the whole value inside"}},
        {1,
         "122.80,Lob\x1b[8mby\x7f,l,p,c\tq,\"x\r\ny\"\r\n",
         {"1/1: the server holds control characters (written here as <U+001B>, <U+007F>)|starts "
          "TeamSpeak with this record as it is; remove them",
          "1/1: the channel holds control characters (written here as <U+0009>)",
          "1/1: the sub-channel holds control characters (written here as <U+000D>, <U+000A>)"}},
        {1, Line("122.80", std::string("s,l\0x,p,c,x", 11)), {"1/1: the login name holds a NUL"}},
        {3,
         "122.80,s,l,p,c,x,123.45,s,l,p,c,x\r\n124.00,s,l,p,c,x,125.00\r\n",
         {"1/1: line 1 goes on after the record's sixth field",
          "3/2: line 2 goes on after the record's sixth field", "4/2: the file ends after 1 of"}},
        // Marked as UTF-8, but records 1, 3 and the one cut short are not: the program reads on
        // with U+FFFD, and drops the last.
        {3,
         "\xEF\xBB\xBF" + Line("122.80\xE9") + Line("121.50") +
             Line("123.45", "s\xE9,l,B\xE9,c,x") + "124.00,\xE9",
         {"1/1: the frequency holds bytes that are not UTF-8", "1/1: is not in the form",
          "4/4: the file ends after 2 of",
          "3/3: the server holds bytes that are not UTF-8 (read as \"s|, which Windows|does not "
          "start TeamSpeak with this record",
          "3/3: the password holds bytes that are not UTF-8|U+FFFD, which Windows|does not start "
          "TeamSpeak with this record; retype the password and save the file as UTF-8"}},
        {1, "\xFF\xFE" + Utf16(L"122.80,M\u00FCnchen,l,p,c,x", false), {}},  // no UTF-8 check
        {1,
         Line("122.80") + "\"" + std::string(kLongestField + 1, 'x'),
         {"2/2: field 1 runs on past 32767 characters|Brenvale drops this record"}},
        {200,
         Records(200) + Line("122.80", std::string(1 << 20, 's')),  // 9,460 + 1,048,585
         {"201/201: (1 more record); most of the file is never read: 1048585 of its 1058045"}},
    };
    for (const auto& example : cases) {
        const checker::Table table = Check(example.file);
        EXPECT_EQ(table.count, example.count) << example.file.substr(0, 60);
        ExpectWarnings(table, example.warnings);
    }
}

// Tables as spreadsheets save them, and what the program then does: each fault said once,
// under the record and line the pilot finds it at, with the fix that works.
TEST(CheckerTable, SpreadsheetTablesGetTheFixThatWorks) {
    const struct {
        std::string file;
        std::vector<std::string> warnings;  // all of them, "record/line: part|part"
    } cases[] = {
        {"122,80;s;l;p;c;x\r\n123,45;s;l;p;c;x\r\n",
         {"0/0: 2 lines hold semicolons (the first is line 1) between the fields and commas in the "
          "numbers (122,80)|uses record 1|points in the numbers (122.80)"}},
        {Line("118.00") + "122.80,s,l,pass,word,c,x\r\n" + Line("123.45"),
         {"2/2: line 2 has 7 fields|(the password, the channel or the sub-channel)|drops record 4|"
          "example \"c,x\" if it is the sub-channel"}},
        {Line("118.00") + Line("121.50", "t,m,p,c,x") + "122.80,s,l,pass,word,c,x\r\n",
         {"3/3: (the server, the login name, the password, the channel or the sub-channel)"}},
        {Line("118.00") + Line("121.50") + "122.80,t,m,p,c,x,y\r\n",
         {"3/3: (the server, the login name|drops record 4"}},
        {Line("118.00", "s1,l,p,c,x") + Line("121.50", "s2,l,p,c,x") + "122.80,a,b,l,p,c,x\r\n",
         {"3/3: (the server), and Brenvale splits|for example \"a,b\" if it is the server"}},
        {Line("118.00", "s,l,p,c,x,") + Line("122.80"),
         {"1/1: line 1 has 7 fields|a comma at the end of the line makes an empty field|remove "
          "the comma at the end of the line"}},
        {Line("118.00") + "122,80,s,l,p,c,x\r\n" + Line("123.45"),
         {"2/2: line 2 has 7 fields: the frequency is written with a decimal comma, 122,80|write "
          "the frequency with a point, 122.80"}},
        {",,,,,\r\n" + Line("122.80") + ",,,,,\r\n",
         {"1/1: record 1 is an empty row, as a spreadsheet leaves one, so TeamSpeak gets no "
          "server, only the nickname; Brenvale uses this record|as it is; delete the row",
          "3/3: record 3 is an empty row, as a spreadsheet leaves one; Brenvale never chooses this "
          "record; delete the row"}},
        {Line("122.8") + Line("122") + Line("122.85"),
         {"1/1: frequency \"122.8\" lacks a decimal, as a spreadsheet shows 122.80|uses this "
          "record|write 122.80, and format the frequency column as text",
          "2/2: frequency \"122\" lacks its decimals, as a spreadsheet shows 122.00|never chooses "
          "this record; write 122.00"}},
        {Line("122.80", "s,l,se\"cret,c,x") + Line("123.45", "s,l,p,Tower?channel=Final,x") +
             Line("124.00", "s,l,p?w,c,x"),
         {"1/1: the password holds a double quote|gets the password cut short|starts TeamSpeak "
          "with this record as it is; ask for (or set) a password without a double quote",
          "2/2: the channel holds a question mark: TeamSpeak takes what follows it, "
          "\"channel=Final\"|is cut there, \"Tower\"; Brenvale starts|ask for (or give) the "
          "channel a name without a question mark",
          "3/3: the password holds a question mark|password TeamSpeak gets is cut there; "
          "Brenvale starts"}},
        {Line("122.80", "s,\u0141ukasz \u0416,p\u0142,\u0142\u0141,x") +
             Line("123.45", "s,l,p,c,Wie\u017Ca"),
         {"1/1: the login name holds|\"\u0141\" (U+0141), \"\u0416\" (U+0416)|without them, for "
          "example with L for \u0141",
          "1/1: the password holds|\"\u0142\" (U+0142)|ask for (or set) a password without them",
          "1/1: the channel holds|\"\u0142\" (U+0142), \"\u0141\" (U+0141)|for example with l for "
          "\u0142 and L for \u0141",
          "2/2: the sub-channel holds characters Windows on this computer cannot pass to "
          "TeamSpeak: \"\u017C\" (U+017C); Brenvale does not start TeamSpeak with this record; "
          "write the sub-channel without \u017C, for example with z instead"}},
        // Consequences as the program decides them: the frequency is not on the command line,
        // and a record cut short holding a character the system lacks starts nothing.
        {"\xEF\xBB\xBF" + Line("122.8\xFF") + Line("123.45"),
         {"1/1: the frequency holds bytes that are not UTF-8 (read as \"122.8\uFFFD\")|U+FFFD; "
          "retype",
          "1/1: never matches the radio; Brenvale uses this record"}},
        {"122.80,s,\u0416,p",
         {"0/0: the table holds no complete record, so record 1, the default channel, holds the "
          "fields of the record cut short|uses record 1|does not start TeamSpeak with record 1",
          "1/1: the file ends after 4 of the record's six fields; Brenvale drops this record"}},
        {Line("122.80", "s,l,p,c\x01,x") + Line("123.45", "s,l,p,c\x01,\u0416"),
         {"1/1: which an editor may not show; Brenvale starts TeamSpeak with this record as it is",
          "2/2: which an editor may not show; Brenvale does not start TeamSpeak with this record",
          "2/2: the sub-channel holds characters|(U+0416)|write the sub-channel without it"}},
        {"Frequency,Server,Login,Password,Channel,Sub\r\n" + Line("122.80"),
         {"1/1: record 1 looks like a heading (its frequency field says \"Frequency\")"}},
        // A shift stops before a record that touches a line of semicolons, said on its own.
        {Line("122.80") + "122.85,s,l,p\r\n123.45,s,l,p\r\na;b;c;d;e;f\r\n" + Line("124.00"),
         {"0/0: line 4 holds semicolons between the fields and no commas",
          "2/2: record 2 is shifted and holds the wrong fields; add", "2/3: line 3 has 4 of the"}},
    };
    for (const auto& example : cases) ExpectWarnings(Check(example.file), example.warnings);
}

// However many characters a value holds that the system lacks, a few are named and the
// rest counted; a surrogate outside a pair is shown by its number, never written out.
TEST(CheckerTable, CharactersTheSystemLacksAreNamedAFewThenCounted) {
    std::wstring many;
    for (wchar_t c = 0x4E00; c < 0x4E00 + 20; ++c) many += std::wstring(2, c);
    checker::PortableCodec codec;
    const checker::Outside outside = checker::CharactersOutside(many + L"\uFFFD", codec, true);
    EXPECT_EQ(outside.named.size(), 8u);
    EXPECT_EQ(outside.more, 12u);
    EXPECT_EQ(Narrow(outside.Text()).find("(U+4E07), and 12 more"),
              Narrow(outside.Text()).size() - 21);
    EXPECT_EQ(checker::CharactersOutside(L"\uFFFD", codec, false).named.size(), 1u);
    EXPECT_EQ(checker::Printable(L"x\xDC80y\xD83D\xDE00z\xDBFF\xDC00"),
              L"x<U+DC80>y\xD83D\xDE00z\xDBFF\xDC00");
    EXPECT_EQ(checker::Printable(L"a\xDC80\xDCFF\xDD00", true), L"a\xDC80\xDCFF<U+DD00>");
    // As the native checker writes it: a pair is its character, a stand-in its byte.
    EXPECT_EQ(checker::ToUtf8Bytes(L"\xD83D\xDC80|\xDC80|\xD83D"),
              "\xF0\x9F\x92\x80|\x80|\xEF\xBF\xBD");
    EXPECT_EQ(checker::ToUtf8Bytes(L"\u07FF\u0800|\xD800\xDC00|\xD800"),
              "\xDF\xBF\xE0\xA0\x80|\xF0\x90\x80\x80|\xEF\xBF\xBD");
    // The table's first and last letters; a ligature, and what lies before and past it: none.
    std::wstring plain;
    for (const wchar_t* c : {L"\u00C0", L"\u00C6", L"\u024F", L"\u0250", L"\u00BF"}) {
        plain += L"[" + checker::PlainLetter(c) + L"]";
    }
    EXPECT_EQ(plain, L"[A][][y][][]");
}

TEST(CheckerTable, AFailureWhileARecordIsReadIsWhereTheTableStops) {
    const std::string head = Records(2) + "121";
    const checker::Table table = Check(head + ".50,s,l,p,c,x\r\n", head.size());
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(Warnings(table),
              std::vector<std::string>{"3/3: the file cannot be read on at field 1 (Data error "
                                       "(cyclic redundancy check).), so Brenvale stops reading "
                                       "the table there; Brenvale drops this record"});

    // Past the 200th record only the checker reads on; a failure there is the checker's.
    const std::string full = Records(200);
    const checker::Table past = Check(full + Records(200), full.size() + 10);
    EXPECT_EQ(past.count, 200);
    EXPECT_EQ(Warnings(past),
              std::vector<std::string>{"201/201: Brenvale keeps the first 200 records and "
                                       "ignores the rest of the file (1 more record); the rest "
                                       "could not be read: Data error (cyclic redundancy check)."});
}

TEST(Utf8, EachLongestPieceThatStartsLikeASequenceIsReplacedOnce) {
    const struct {
        const char* bytes;
        std::wstring text;
        size_t replaced;
    } cases[] = {
        {"\xC2\x80\xDF\xBF", L"\u0080\u07FF", 0},          // two bytes, lowest and highest
        {"\xE0\xA0\x80\xED\x9F\xBF", L"\u0800\uD7FF", 0},  // three, at their narrow edges
        {"\xEE\x80\x80\xEF\xBF\xBD", L"\uE000\uFFFD", 0},  // a real U+FFFD is no fault
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", L"\U00010000\U0010FFFF", 0},
        {"\xC0\xAF\xC1", L"\uFFFD\uFFFD\uFFFD", 3},            // overlong leads, stray byte
        {"\xE0\x9F\x80", L"\uFFFD\uFFFD\uFFFD", 3},            // overlong three bytes
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD", 3},            // a surrogate
        {"\xF0\x8F\xBF\xBF", L"\uFFFD\uFFFD\uFFFD\uFFFD", 4},  // overlong four bytes
        {"\xF4\x90\x80\x80\xF5", L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", 5},  // past U+10FFFF
        {"\xE2\x82\x41\xF0\x9F\x98", L"\uFFFDA\uFFFD", 2},               // cut short: one each
        {"\x80\xBF", L"\uFFFD\uFFFD", 2},
    };
    for (const auto& example : cases) {
        std::wstring text = L"stale";  // replaced, not added to
        EXPECT_EQ(checker::DecodeUtf8(example.bytes, text), example.replaced) << example.bytes;
        EXPECT_EQ(text, example.text) << example.bytes;
    }
}

// The checker's stand-in for the system's code page gives each byte back from its character.
TEST(CheckerCodec, EachByteOfWindows1252ComesBackFromItsCharacter) {
    checker::PortableCodec codec;
    std::string back;  // each conversion replaces what it held
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_TRUE(codec.ToSystemCodePage(codec.FromSystemCodePage(byte), back)) << b;
        EXPECT_EQ(back, byte) << b;
    }
}

}  // namespace

// The table checker (it loads through the program's own reader and record loop) warns
// about each thing the pilot likely did not mean; its exit statuses are seen by the package
// test. Its UTF-8 and code page stand-ins serve the fakes too.

#include <algorithm>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "tools/checker/TableCheck.h"

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
                        Narrow(w.text));
    }
    return lines;
}

TEST(CheckerTable, NamesEachFaultWithItsRecordAndLineAndNothingElse) {
    const struct {
        std::string file;
        int count;
        std::vector<std::string> warnings;  // "record/line: part of the text", all of them
    } cases[] = {
        {Records(200) + "\n\n", 200, {}},
        {"  \"121.50\" ,  s , \"l, m\",p,c,x\n122.80,s,l,p,c,x,\n\n", 2, {}},
        {Line("121.50") + Line("121.50") + Line("1x2.80") + Line("117.97") + Line("122.81") +
             Line("122.825"),
         6,
         {"2/2: already in record 1 (line 1)", "3/3: not in the form", "4/4: outside the COM band",
          "5/5: (the two decimals end in 0, 2, 5 or 7)",
          "6/6: frequency 122.825 has three decimals, but the radio shows two, 122.82, and only "
          "that text matches; write 122.82"}},
        {Records(250), 200, {"201/201: ignores the rest of the file (50 more records)"}},
        {"", 0, {"0/0: with the nickname alone"}},
        {"122.80,,", 0, {"0/0: the fields of the record cut short", "1/1: ends after 2"}},
        {Line("122.80", "srv?x,l\"og,,\"ch?an\",sub\""),
         1,
         {"1/1: the server holds a question mark", "1/1: the login name holds a double quote",
          "1/1: the channel holds a question mark", "1/1: the sub-channel holds a double quote"}},
        {Line("122.80") + "\r\n" + Line("123.45") + "\r\n",
         2,
         {"2/2: line 2 is empty, and an empty line is one empty field; fields are counted, not "
          "lines, so record 2 is shifted and holds the wrong fields, and the end of the file cuts "
          "the last record short, so Brenvale drops it; remove the empty line"}},
        {Line("122.80") + Line("122.85", "s,l,p,c") + Line("123.45") +
             Line("123.50", "s,l,p,c,x,y") + "124.00,,l,p\r\nc,x\r\n",
         5,
         {"2/2: line 2 has 5 of the 6 fields; fields are counted, not lines, so records 2 to 4 are "
          "shifted and hold the wrong fields; add the missing field (two commas in a row make an "
          "empty one)",
          "3/4: line 4 has 7 fields, more than a record's 6 (an extra field, or a comma at the "
          "end of the line); remove the extra field",
          "5/5: spread over lines 5 to 6", "5/5: the server is empty"}},
        {Line("122.80") + Line("122.85", "s,l,p") + "\r\n" + Line("123.45") +
             Line("123.50", "s,l,p,c,x,y,z") + Line("124.00"),
         5,
         {"2/2: line 2 has 4 of the 6 fields; fields are counted, not lines, so records 2 to 5 are "
          "shifted and hold the wrong fields, and the end of the file cuts the last record short, "
          "so Brenvale drops it; add the missing fields (two",
          "2/3: line 3 is empty, and an empty line is one empty field; remove the empty line",
          "3/5: line 5 has 8 fields, more than a record's 6 (an extra field, or a comma at the "
          "end of the line); remove the extra fields"}},
        {Line("122.80") + "122.85,s,l,\"p,c,x\r\n" + Line("123.45") + Line("123.50") + "\r\n",
         1,
         {"2/2: the double quote that opens the password on line 2 is never closed, so the field "
          "runs to the end of the file (lines 2 to 4) and swallows what would be records 3 to 4; "
          "Brenvale drops this record, which the end of the file cuts short; close the quote"}},
        {"122.80,s,l,\"p\n \t\nq\n\n",  // line ends of every kind; blank lines swallow nothing
         0,
         {"1/1: the double quote that opens the password on line 1 is never closed, so the field "
          "runs to the end of the file (lines 1 to 3) and swallows what would be record 2;",
          "0/0: the fields of the record cut short"}},
        {"122.80;s;l;p;c;x\r\n123.45;s;l;p;c;x\r\n",
         0,
         {"0/0: 2 lines hold semicolons and no commas (the first is line 1), but Brenvale "
          "separates fields only by commas, so such a line is one field and shifts the records "
          "after it; save the table with commas between the fields",
          "0/0: the fields of the record cut short"}},
        {"FREQ,Server,Login,Password,Channel,Sub\r\n" + Line("122.80"),
         2,
         {"1/1: record 1 looks like a heading (its frequency field says \"FREQ\"), but Brenvale "
          "reads it as a channel, and record 1 is the default channel, used for every frequency "
          "no record has; remove the heading line"}},
        {Line("\"122.80\" x", "s,\"se\"\"cret\",\"pa\"\"ss\",c,x"),
         1,
         {"1/1: the login name, written \"se\"\"cret\", holds a doubled double quote, as "
          "spreadsheets write one inside a value, but a value cannot hold a double quote: Brenvale "
          "keeps the part before it, \"se\", and drops the rest of the field; write the value "
          "without double quotes",
          "1/1: the password holds a doubled double quote, as spreadsheets write one inside a "
          "value, but a value cannot hold a double quote: Brenvale keeps the part before it and "
          "drops the rest",
          "1/1: the frequency, written \"122.80\" x, has text after its closing double quote: "
          "Brenvale keeps the part inside the quotes, \"122.80\", and drops the rest of the field; "
          "put the whole value inside the quotes"}},
        {Line("122.80", "\"s\"" + std::string(70, 'y') + ",l,p,c,x"),  // what is dropped, cut
         1,
         {"1/1: the server, written \"s\"" + std::string(64, 'y') + "..., has text after its"}},
        {Line("122.80", "Lob\x1b[8mby\x7f,l,p,c\tq,x"),
         1,
         {"1/1: the server holds control characters (written here as <U+001B>, <U+007F>), which an "
          "editor "
          "may not show but Brenvale passes to TeamSpeak as they are; remove them",
          "1/1: the channel holds control characters (written here as <U+0009>)"}},
        {Line("122.80", std::string("s,l\0x,p,c,x", 11)), 1, {"1/1: the login name holds a NUL"}},
        {"123.45,s,l,p,c,x\r\n122.80,s,l\r\np,c,x", 2, {"2/2: spread over lines 2 to 3"}},
        {"122.80,s,l,p,c,\"x\r\ny\"\r\n",
         1,
         {"1/1: the sub-channel holds control characters (written here as <U+000D>, <U+000A>)"}},
        {"122.80,s,l,p,c,x,123.45,s,l,p,c,x\r\n",
         2,
         {"1/1: line 1 goes on after the record's sixth field"}},
        {"122.80,s,l,p,c,x,123.45\r\n",
         1,
         {"1/1: line 1 goes on after the record's sixth field", "2/1: the file ends after 1 of"}},
        // Marked as UTF-8, but records 1, 3 and the one cut short are not: the program reads on
        // with U+FFFD, and drops the last.
        {"\xEF\xBB\xBF" + Line("122.80\xE9") + Line("121.50") +
             Line("123.45", "s\xE9,l,B\xE9,c,x") + "124.00,\xE9",
         3,
         {"1/1: the frequency holds bytes that are not UTF-8", "1/1: is not in the form",
          "4/4: the file ends after 2 of",
          "3/3: the server holds bytes that are not UTF-8 (read as \"s",
          "3/3: the password holds bytes that are not UTF-8; Brenvale reads each such sequence "
          "as the replacement character U+FFFD, which TeamSpeak cannot read in the system's code "
          "page, so Brenvale does not start TeamSpeak with this record; retype the password and "
          "save the file as UTF-8"}},
        {"\xFF\xFE" + Utf16(L"122.80,M\u00FCnchen,l,p,c,x", false), 1, {}},  // no UTF-8 check
        {Line("122.80") + "\"" + std::string(kLongestField + 1, 'x'),
         1,
         {"2/2: field 1 runs on past 32767 characters, more than a TeamSpeak command line can "
          "carry (a double quote never closed?), so Brenvale stops reading the table there and "
          "drops this record"}},
        {Records(200) + Line("122.80", std::string(1 << 20, 's')),  // 9,460 + 1,048,585
         200,
         {"201/201: (1 more record); most of the file is never read: 1048585 of its 1058045 "
          "bytes"}},
    };
    for (const auto& example : cases) {
        const checker::Table table = Check(example.file);
        const std::vector<std::string> warnings = Warnings(table);
        EXPECT_EQ(table.count, example.count) << example.file.substr(0, 60);
        EXPECT_EQ(warnings.size(), example.warnings.size()) << ::testing::PrintToString(warnings);
        for (const std::string& expected : example.warnings) {
            const std::string where = expected.substr(0, expected.find(':') + 2);
            const std::string phrase = expected.substr(where.size());
            EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(),
                                    [&](const std::string& w) {
                                        return w.rfind(where, 0) == 0 &&
                                               w.find(phrase) != std::string::npos;
                                    }))
                << expected << " in " << ::testing::PrintToString(warnings);
        }
    }
}

TEST(CheckerTable, AFailureWhileARecordIsReadIsWhereTheTableStops) {
    const std::string head = Records(2) + "121";
    const checker::Table table = Check(head + ".50,s,l,p,c,x\r\n", head.size());
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(Warnings(table),
              std::vector<std::string>{"3/3: the file cannot be read on at field 1 (Data error "
                                       "(cyclic redundancy check).), so Brenvale stops reading "
                                       "the table there and drops this record"});

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
        {"\xE2\x82"
         "A\xF0\x9F\x98",
         L"\uFFFDA\uFFFD", 2},  // cut short: one each
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
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        std::string back;
        EXPECT_TRUE(codec.ToSystemCodePage(codec.FromSystemCodePage(byte), back)) << b;
        EXPECT_EQ(back, byte) << b;
    }
}

}  // namespace

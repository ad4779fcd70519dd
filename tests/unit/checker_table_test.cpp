// The table checker's load and warnings: it must see the records the program sees, and
// warn about each thing that makes the program behave other than the pilot meant.

#include <algorithm>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "tools/checker/TableCheck.h"

namespace {

checker::Table Check(const std::string& bytes) {
    BytesReader file(bytes);
    FakeDecoder decoder;
    return checker::CheckTable(file, decoder);
}

std::string Line(const std::string& frequency, const std::string& tail = "s,l,p,c,x") {
    return frequency + "," + tail + "\r\n";
}

std::string NumberedRecords(int count) {
    std::string text;
    for (int n = 0; n < count; ++n) {
        // Distinct frequencies in the COM band, 40 channels of 25 kHz to each MHz.
        const int hundredths = n % 40 * 25 / 10;
        const std::string decimals = (hundredths < 10 ? "0" : "") + std::to_string(hundredths);
        text +=
            Line(std::to_string(118 + n / 40) + "." + decimals, "s,l,p,c,x" + std::to_string(n));
    }
    return text;
}

// The warnings as "record/line: text" lines, for readable failures.
std::string Warnings(const checker::Table& table) {
    std::string texts;
    for (const checker::Warning& w : table.warnings) {
        texts +=
            std::to_string(w.record) + "/" + std::to_string(w.line) + ": " + Narrow(w.text) + "\n";
    }
    return texts;
}

// Whether one warning is about `record` on `line` and says `phrase`.
bool Warns(const checker::Table& table, int record, int line, const std::string& phrase) {
    for (const checker::Warning& w : table.warnings) {
        if (w.record == record && w.line == line &&
            Narrow(w.text).find(phrase) != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(CheckerTable, ATableWrittenAsMeantHasNoWarnings) {
    const std::string files[] = {
        Line("122.80") + Line("123.45", "\"guard.example.net:8767\",g,\"pass, word\",G,E") +
            Line("136.97") + Line("118.00"),
        "122.80,s,l,p,c,x\n121.52,s,l,p,c,x",                 // no line end after the last record
        Line("122.80") + "\"" + "121.50\" ,  s , l,p,c,x\n",  // quotes and padding
        Line("121.50") + Line("121.55"),  // equal frequencies are equal texts, as compared
        NumberedRecords(200),
        NumberedRecords(200) + "\n\n",
        // Only empty fields, or a comma, after the last record: nothing written is dropped.
        Line("122.80") + "\n",
        Line("122.80") + "\r\n\r\n",
        Line("122.80") + "\n\n\n\n\n",
        Line("122.80") + "  \r\n",
        Line("122.80") + "\r\n\r\n  \n",
        "122.80,s,l,p,c,x,",
        "122.80,s,l,p,c,x,\n",
        // Frequencies the radio shows: in the COM band, on the 25 kHz steps it displays.
        Line("118.00") + Line("118.02") + Line("121.55") + Line("124.57") + Line("136.90"),
    };
    for (const std::string& file : files) {
        const checker::Table table = Check(file);
        EXPECT_TRUE(table.warnings.empty()) << file << "\n" << Warnings(table);
        EXPECT_GT(table.count, 0);
    }
}

struct Expected {
    int record, line;
    const char* phrase;
};

struct WarnedFile {
    std::string file;
    int count;
    std::vector<Expected> warnings;  // all of them, in any order
};

TEST(CheckerTable, EachWarningNamesItsRecordAndLine) {
    std::vector<WarnedFile> cases = {
        // A later record with the same frequency is never chosen; a bad one never matches.
        {Line("121.50") + Line("122.80") + Line("121.50") + Line("121.50") + Line("122.8") +
             Line("122.8"),
         6,
         {{3, 3, "already in record 1 (line 1)"},
          {4, 4, "already in record 1 (line 1)"},
          {5, 5, "not in the form"},
          {6, 6, "not in the form"}}},
        // Records the program drops.
        {NumberedRecords(250), 200, {{201, 201, "ignores the rest of the file (50 more records)"}}},
        {NumberedRecords(200) + "123.45,s,l", 200, {{201, 201, "(1 more record)"}}},
        {NumberedRecords(200) + std::string(5000, ','),
         200,
         {{201, 201, "(834 more records); most of the file is never read: 5000 of its"}}},
        {Line("122.80") + Line("123.45") + "121.50, s,l,p",
         2,
         {{3, 3, "ends after 4 of the record's six fields"}}},
        // An empty table says what record 1 holds.
        {"", 0, {{0, 0, "with the nickname alone"}}},
        {"\r\n", 0, {{0, 0, "with the nickname alone"}}},
        {"\n\n\n", 0, {{0, 0, "with the nickname alone"}}},
        {"122.80,s,l", 0, {{0, 0, "the fields of the record cut short"}, {1, 1, "ends after 3"}}},
        // Values that break the TeamSpeak argument; a quoted value ends at its second quote.
        {Line("122.80", "srv?x,l\"og,pa?ss,\"ch?an\",sub\"") +
             Line("123.45", "s,l,\"se\"cret\",c,x"),
         2,
         {{1, 1, "the server holds a question mark"},
          {1, 1, "the login name holds a double quote"},
          {1, 1, "the password holds a question mark"},
          {1, 1, "the channel holds a question mark"},
          {1, 1, "the sub-channel holds a double quote"}}},
        {Line("122.80", ",l,p,c,x") + Line("123.45", "\"\",l,p,c,x"),
         2,
         {{1, 1, "the server is empty"}, {2, 2, "the server is empty"}}},
        // Records that leave their line: an empty line in the middle shifts every record after
        // it by one field, a comma at a line's end starts the next record there.
        {Line("122.80") + "\r\n" + Line("123.45"),
         2,
         {{2, 2, "spread over lines 2 to 3"},
          {2, 2, "frequency \"\" is not in the form"},
          {3, 3, "ends after 1 of the record's six fields"}}},
        {"122.80,s,l,p,c,x,\n123.45,s,l,p,c,x\n",
         2,
         {{1, 1, "line 1 goes on after the record's sixth field"},
          {2, 1, "spread over lines 1 to 2"},
          {2, 1, "not in the form"},
          {3, 2, "ends after 1"}}},
        {"122.80,s,l,p,c,x,123.45,s,l,p,c,x\n", 2, {{1, 1, "line 1 goes on"}}},
        {"122.80,s,l\np,c,x\n", 1, {{1, 1, "spread over lines 1 to 2"}}},
        {"122.80,s,l,p,c,\"x\ny\"\n", 1, {{1, 1, "spread over lines 1 to 2"}}},
        // A NUL cuts the command line, so the program will not start TeamSpeak with it.
        {Line("122.80", std::string("s,l\0x,p,c,x", 11)),
         1,
         {{1, 1, "the login name holds a NUL"}}},
    };
    // A frequency the radio never shows.
    const std::pair<const char*, std::vector<const char*>> badFrequencies[] = {
        {"not in the form 1dd.dd",
         {"122.8", "122.800", "0122.80", "122-80", "12a.80", "222.80", ""}},
        {"outside the COM band", {"117.97", "137.00", "108.00"}},
        {"25 kHz", {"122.81", "122.83", "122.84", "122.86", "122.88", "136.99"}},
    };
    for (const auto& [phrase, frequencies] : badFrequencies) {
        for (const char* frequency : frequencies) {
            cases.push_back({Line("122.80") + Line(frequency), 2, {{2, 2, phrase}}});
        }
    }
    for (const WarnedFile& example : cases) {
        const checker::Table table = Check(example.file);
        EXPECT_EQ(table.count, example.count) << example.file.substr(0, 80);
        for (const Expected& warning : example.warnings) {
            EXPECT_TRUE(Warns(table, warning.record, warning.line, warning.phrase))
                << warning.phrase << " in\n"
                << Warnings(table);
        }
        EXPECT_EQ(table.warnings.size(), example.warnings.size()) << Warnings(table);
    }
}

TEST(CheckerTable, WhatTheWarningsLeaveOutAndTheirOrder) {
    EXPECT_FALSE(Check("").cutShortFieldsKept);
    EXPECT_TRUE(Check("122.80,s,l").cutShortFieldsKept);
    // The cut record stays in its slot, as the program leaves it.
    EXPECT_EQ(Check(Line("122.80") + "121.50, s,l,p").columns.Password[2], L"p");
    const checker::Table quoted =
        Check(Line("122.80", "s,l,pa?ss,c,x") + Line("1", "s,l,\"se\"cret\",c,x"));
    EXPECT_EQ(quoted.columns.Password[2], L"se");
    for (const checker::Warning& w : quoted.warnings) {
        EXPECT_EQ(w.text.find(L"pa?ss"), std::wstring::npos) << Narrow(w.text);  // never shown
    }

    const checker::Table many = Check("122.8,,l,p,c,x\n122.81,s,l,p,c,x\n12");
    std::vector<int> records;
    for (const checker::Warning& w : many.warnings) records.push_back(w.record);
    EXPECT_TRUE(std::is_sorted(records.begin(), records.end()));
    EXPECT_EQ(records.back(), 3);
}

TEST(CheckerTable, NamesTheEncodingAndAFieldThatCannotBeDecodedEndsTheTableThere) {
    const struct {
        std::string file;
        const char* encoding;
    } cases[] = {
        {Line("122.80"), "ANSI text in the system's code page"},
        {Line("122.80", "M\xC3\xBCnchen,l,p,c,x"), "UTF-8 without a byte order mark"},
        {"\xEF\xBB\xBF" + Line("122.80"), "UTF-8 with a byte order mark"},
        {std::string("\xFF\xFE"
                     "1\0"
                     "2\0",
                     6),
         "UTF-16 LE with a byte order mark"},
        {std::string("\xFE\xFF\0"
                     "1\0"
                     "2",
                     6),
         "UTF-16 BE with a byte order mark"},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(Narrow(checker::EncodingName(Check(example.file))), example.encoding);
    }

    // Marked as UTF-8, but record 2 holds a byte that is not: the table ends before it.
    const checker::Table table = Check("\xEF\xBB\xBF" + Line("122.80") +
                                       Line("123.45", "s,l,B\xE9\xE9,c,x") + Line("1") + "cut");
    EXPECT_EQ(table.count, 1);
    EXPECT_TRUE(Warns(table, 2, 2, "field 4 cannot be read as UTF-8 with a byte order mark"));
    EXPECT_EQ(table.warnings.size(), 1u) << Warnings(table);
    EXPECT_TRUE(table.cutShortFieldsKept);
    EXPECT_EQ(table.columns.LoginName[2], L"l");
    EXPECT_EQ(table.columns.Password[2], L"");
}

// ---- the checker against the program's own load and switch

// Files whose reading has edge cases; the checker must load each like the program.
const std::string kTrickyFiles[] = {
    "",
    "\r\n\r\n",
    "122.80,s,l,p,c,x",
    "122.80,s,l,p,c,x\n123.45,s,l",
    "122.80,s,l",
    "  \"122.80\" junk , \"a, b\" ,l\t,p ,c,x\r\n\r\n121.50,s2,l2,p2,c2,x2\n",
    "122.80,s,l,p,c,x,123.45,s2,l2,p2,c2,x2\r123.45,s3,l3,p3,c3,x3\r",
    "122.80,s,\"l\r\nl\",p,c,x\n\n\n\n\n\n121.50,a,b,c,d,e",
};

TEST(CheckerTable, LoadsEveryRecordAndSlotLikeTheProgram) {
    std::vector<std::string> files(std::begin(kTrickyFiles), std::end(kTrickyFiles));
    files.push_back(NumberedRecords(203));
    for (const std::string& file : files) {
        FakeApp app;
        const FrmMain& window = app.LoadTable(file);
        const checker::Table table = Check(file);
        ASSERT_EQ(table.count, window.ChannelCount) << file;
        using C = ChannelColumns;
        for (auto column : {&C::Frequency, &C::Server, &C::LoginName, &C::Password, &C::Channel,
                            &C::SubChannel}) {
            for (int slot = 1; slot <= std::min(table.count + 1, kChannelCapacity); ++slot) {
                EXPECT_EQ((table.columns.*column)[slot], (window.ChannelTable.*column)[slot])
                    << file;
            }
        }
    }
}

TEST(CheckerTable, ChoosesTheRecordTheProgramStartsTeamSpeakWith) {
    const std::string file = Line("121.50", "guard,g,gp,G,E") + Line("122.80", "app,a,ap,A,F") +
                             Line("122.80", "dup,d,dp,D,X");
    FakeApp app;
    FrmMain& window = app.LoadTable(file);
    const checker::Table table = Check(file);
    for (const wchar_t* frequency : {L"122.80", L"121.50", L"130.00", L"121.50"}) {
        window.SetLblComText(frequency);
        ASSERT_FALSE(app.sys.started.empty());
        const checker::Choice choice = checker::ChooseRecord(table, frequency);
        EXPECT_EQ(TeamSpeakCommandLine(window.TeamSpeakDir, table.columns, choice.record,
                                       app.general.SessionName),
                  app.sys.started.back().commandLine);
    }
    EXPECT_EQ(checker::ChooseRecord(table, L"122.80").record, 2);
    EXPECT_FALSE(checker::ChooseRecord(table, L"130.00").matched);
}

}  // namespace

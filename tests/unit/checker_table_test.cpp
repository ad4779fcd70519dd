// The table checker's load and warnings: it must see the records the program sees, and
// warn about each thing that makes the program behave other than the pilot meant.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "platform/PlatformFailure.h"
#include "tools/checker/TableCheck.h"

namespace {

std::wstring ByteForByte(const std::string& bytes) {
    return std::wstring(bytes.begin(), bytes.end());
}

checker::Table Check(const std::string& bytes) {
    return checker::CheckTable(bytes, [](const std::string& field) {
        std::wstring text;
        for (unsigned char byte : field) text.push_back(static_cast<wchar_t>(byte));
        return text;
    });
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

// The warnings as "record/line: text", for readable failures.
std::vector<std::string> Warnings(const checker::Table& table) {
    std::vector<std::string> texts;
    for (const checker::Warning& w : table.warnings) {
        texts.push_back(std::to_string(w.record) + "/" + std::to_string(w.line) + ": " +
                        Narrow(w.text));
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
        Line("122.80") + "\r\n\r\n  \n",                      // blank lines at the end
        Line("122.80") + "\"" + "121.50\" ,  s , l,p,c,x\n",  // quotes and padding
        NumberedRecords(200),
        NumberedRecords(200) + "\n\n",
    };
    for (const std::string& file : files) {
        const checker::Table table = Check(file);
        EXPECT_TRUE(table.warnings.empty()) << file << "\n"
                                            << ::testing::PrintToString(Warnings(table));
        EXPECT_GT(table.count, 0);
    }
}

TEST(CheckerTable, AFrequencyTheRadioNeverShowsIsNamedWithItsRecordAndLine) {
    const struct {
        const char* frequency;
        const char* phrase;
    } cases[] = {
        {"122.8", "not in the form 1dd.dd"},
        {"122.800", "not in the form 1dd.dd"},
        {"0122.80", "not in the form 1dd.dd"},
        {"122-80", "not in the form 1dd.dd"},
        {"12a.80", "not in the form 1dd.dd"},
        {"222.80", "not in the form 1dd.dd"},
        {"", "not in the form 1dd.dd"},
        {"117.97", "outside the COM band"},
        {"137.00", "outside the COM band"},
        {"108.00", "outside the COM band"},
        {"122.81", "25 kHz"},
        {"122.83", "25 kHz"},
        {"122.84", "25 kHz"},
        {"122.86", "25 kHz"},
        {"122.88", "25 kHz"},
        {"136.99", "25 kHz"},
    };
    for (const auto& example : cases) {
        const checker::Table table = Check(Line("122.80") + Line(example.frequency));
        EXPECT_EQ(table.count, 2);
        EXPECT_TRUE(Warns(table, 2, 2, example.phrase))
            << example.frequency << ": " << ::testing::PrintToString(Warnings(table));
        EXPECT_EQ(table.warnings.size(), 1u) << example.frequency;
    }
    for (const char* fine : {"118.00", "118.02", "121.55", "124.57", "136.97", "136.90"}) {
        EXPECT_TRUE(Check(Line(fine)).warnings.empty()) << fine;
    }
}

TEST(CheckerTable, ALaterRecordWithTheSameFrequencyIsNeverChosen) {
    const checker::Table table = Check(Line("121.50") + Line("122.80") + Line("121.50") +
                                       Line("121.50") + Line("122.8") + Line("122.8"));
    EXPECT_TRUE(Warns(table, 3, 3, "already in record 1 (line 1)"));
    EXPECT_TRUE(Warns(table, 4, 4, "already in record 1 (line 1)"));
    EXPECT_FALSE(Warns(table, 6, 6, "already in record"));  // never matches anyway
    EXPECT_EQ(table.warnings.size(), 4u) << ::testing::PrintToString(Warnings(table));
    // Equality is of the whole text, as the program compares it.
    EXPECT_TRUE(Check(Line("121.50") + Line("121.55")).warnings.empty());
}

TEST(CheckerTable, RecordsPastTheTwoHundredthAreReportedOnce) {
    const checker::Table table = Check(NumberedRecords(250));
    EXPECT_EQ(table.count, 200);
    ASSERT_EQ(table.warnings.size(), 1u) << ::testing::PrintToString(Warnings(table));
    EXPECT_TRUE(Warns(table, 201, 201, "ignores the rest of the file (50 more records)"));

    const checker::Table partial = Check(NumberedRecords(200) + "123.45,s,l");
    EXPECT_EQ(partial.count, 200);
    EXPECT_TRUE(Warns(partial, 201, 201, "(1 more record)"));
}

TEST(CheckerTable, ALastRecordCutShortIsDroppedWithAWarning) {
    const checker::Table table = Check(Line("122.80") + Line("123.45") + "121.50, s,l,p");
    EXPECT_EQ(table.count, 2);
    EXPECT_TRUE(Warns(table, 3, 3, "ends after 4 of the record's six fields"));
    EXPECT_EQ(table.columns.Password[3], L"p");  // left in the slot, as the program does
    EXPECT_EQ(table.warnings.size(), 1u) << ::testing::PrintToString(Warnings(table));

    // Only empty fields at the end: nothing the pilot wrote is dropped.
    for (const char* ending : {"\n", "\r\n\r\n", "\n\n\n\n\n", "  \r\n"}) {
        EXPECT_TRUE(Check(Line("122.80") + ending).warnings.empty()) << ending;
    }
}

TEST(CheckerTable, AnEmptyTableIsAWarningThatSaysWhatRecordOneHolds) {
    for (const char* file : {"", "\r\n", "\n\n\n"}) {
        const checker::Table table = Check(file);
        EXPECT_EQ(table.count, 0);
        EXPECT_TRUE(Warns(table, 0, 0, "with the nickname alone")) << file;
        EXPECT_FALSE(table.cutShortFieldsKept);
    }
    const checker::Table cut = Check("122.80,s,l");
    EXPECT_TRUE(cut.cutShortFieldsKept);
    EXPECT_TRUE(Warns(cut, 0, 0, "the fields of the record cut short"));
    EXPECT_TRUE(Warns(cut, 1, 1, "ends after 3"));
}

TEST(CheckerTable, ValuesThatBreakTheTeamSpeakArgumentAreNamedButNotShown) {
    const checker::Table table = Check(Line("122.80", "srv?x,l\"og,pa?ss,\"ch?an\",sub\"") +
                                       Line("123.45", "s,l,\"se\"cret\",c,x"));
    EXPECT_TRUE(Warns(table, 1, 1, "the server holds a question mark"));
    EXPECT_TRUE(Warns(table, 1, 1, "the login name holds a double quote"));
    EXPECT_TRUE(Warns(table, 1, 1, "the password holds a question mark"));
    EXPECT_TRUE(Warns(table, 1, 1, "the channel holds a question mark"));
    EXPECT_TRUE(Warns(table, 1, 1, "the sub-channel holds a double quote"));
    // A quoted value ends at its second quote, so this password is clean.
    EXPECT_EQ(table.columns.Password[2], L"se");
    EXPECT_EQ(table.warnings.size(), 5u) << ::testing::PrintToString(Warnings(table));
    for (const checker::Warning& w : table.warnings) {
        EXPECT_EQ(w.text.find(L"pa?ss"), std::wstring::npos);
    }
}

TEST(CheckerTable, AnEmptyServerIsAWarning) {
    const checker::Table table = Check(Line("122.80", ",l,p,c,x") + Line("123.45", "\"\",l,p,c,x"));
    EXPECT_TRUE(Warns(table, 1, 1, "the server is empty"));
    EXPECT_TRUE(Warns(table, 2, 2, "the server is empty"));
    EXPECT_EQ(table.warnings.size(), 2u);
}

TEST(CheckerTable, RecordsThatLeaveTheirLineAreNamed) {
    // An empty line in the middle shifts every record after it by one field.
    const checker::Table blank = Check(Line("122.80") + "\r\n" + Line("123.45"));
    EXPECT_TRUE(Warns(blank, 2, 2, "spread over lines 2 to 3"));
    EXPECT_TRUE(Warns(blank, 2, 2, "frequency \"\" is not in the form"));
    EXPECT_TRUE(Warns(blank, 3, 3, "ends after 1 of the record's six fields"));

    // A comma at the end of a line starts the next record there.
    const checker::Table comma = Check("122.80,s,l,p,c,x,\n123.45,s,l,p,c,x\n");
    EXPECT_TRUE(Warns(comma, 1, 1, "line 1 goes on after the record's sixth field"));

    // Two records on one line, one record over two lines, a value with a line end.
    EXPECT_TRUE(Warns(Check("122.80,s,l,p,c,x,123.45,s,l,p,c,x\n"), 1, 1, "line 1 goes on"));
    EXPECT_TRUE(Warns(Check("122.80,s,l\np,c,x\n"), 1, 1, "spread over lines 1 to 2"));
    EXPECT_TRUE(Warns(Check("122.80,s,l,p,c,\"x\ny\"\n"), 1, 1, "spread over lines 1 to 2"));

    // A comma after the last record at the very end loses nothing.
    EXPECT_TRUE(Check("122.80,s,l,p,c,x,").warnings.empty());
    EXPECT_TRUE(Check("122.80,s,l,p,c,x,\n").warnings.empty());
}

TEST(CheckerTable, AByteOrderMarkIsExplained) {
    const checker::Table table = Check("\xEF\xBB\xBF" + Line("122.80"));
    EXPECT_TRUE(Warns(table, 1, 1, "byte order mark"));
    EXPECT_TRUE(Warns(table, 1, 1, "not in the form 1dd.dd"));
}

TEST(CheckerTable, AFieldThatCannotBeConvertedEndsTheTableThere) {
    const checker::Table table =
        checker::CheckTable(Line("122.80") + Line("123.45", "s,l,BAD,c,x") + Line("121.50"),
                            [](const std::string& field) {
                                if (field == "BAD") throw PlatformFailure(1113, L"no mapping");
                                return ByteForByte(field);
                            });
    EXPECT_EQ(table.count, 1);
    EXPECT_TRUE(Warns(table, 2, 2, "field 4 cannot be turned into text"));
}

TEST(CheckerTable, WarningsComeInRecordOrderWithTheFileFirst) {
    const checker::Table table = Check(
        "\xEF\xBB\xBF"
        "122.8,,l,p,c,x\n122.81,s,l,p,c,x\n12");
    std::vector<int> records;
    for (const checker::Warning& w : table.warnings) records.push_back(w.record);
    EXPECT_TRUE(std::is_sorted(records.begin(), records.end()));
    EXPECT_EQ(records.back(), 3);
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
        app.sys.files.Add(FakeSystem::kTableFile, file);
        FrmMain& window = app.Window();
        const checker::Table table = Check(file);
        ASSERT_EQ(table.count, window.ChannelCount) << file;
        for (int slot = 1; slot <= std::min(table.count + 1, kChannelCapacity); ++slot) {
            EXPECT_EQ(table.columns.Frequency[slot], window.ChannelTable.Frequency[slot]) << file;
            EXPECT_EQ(table.columns.Server[slot], window.ChannelTable.Server[slot]) << file;
            EXPECT_EQ(table.columns.Password[slot], window.ChannelTable.Password[slot]) << file;
            EXPECT_EQ(table.columns.SubChannel[slot], window.ChannelTable.SubChannel[slot]) << file;
        }
    }
}

TEST(CheckerTable, ChoosesTheRecordTheProgramStartsTeamSpeakWith) {
    const std::string file = Line("121.50", "guard,g,gp,G,E") + Line("122.80", "app,a,ap,A,F") +
                             Line("122.80", "dup,d,dp,D,X");
    FakeApp app;
    app.sys.files.Add(FakeSystem::kTableFile, file);
    FrmMain& window = app.Window();
    const checker::Table table = Check(file);
    for (const wchar_t* frequency : {L"122.80", L"121.50", L"130.00", L"121.50"}) {
        window.SetLblComText(frequency);
        ASSERT_FALSE(app.sys.programs.started.empty());
        const checker::Choice choice = checker::ChooseRecord(table, frequency);
        EXPECT_EQ(TeamSpeakCommandLine(window.TeamSpeakDir, table.columns, choice.record,
                                       app.general.SessionName),
                  app.sys.programs.started.back().commandLine);
    }
    EXPECT_EQ(checker::ChooseRecord(table, L"122.80").record, 2);
    EXPECT_FALSE(checker::ChooseRecord(table, L"130.00").matched);
}

}  // namespace

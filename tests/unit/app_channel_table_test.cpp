// Reading the channel table: the field rules, and the table's limits and error paths.

#include <string>
#include <vector>

#include "FakePlatform.h"

namespace {

struct Field {
    std::string value;
    int line;
};

std::vector<Field> ReadAll(std::string_view bytes) {
    FieldReader reader(bytes);
    std::vector<Field> fields;
    std::string field;
    for (int line = reader.Line(); reader.NextField(field); line = reader.Line()) {
        fields.push_back({field, line});
    }
    return fields;
}

using Strings = std::vector<std::string>;

Strings Values(std::string_view bytes) {
    Strings values;
    for (const Field& field : ReadAll(bytes)) values.push_back(field.value);
    return values;
}

TEST(FieldReader, SplitsFieldsByTheTableRules) {
    const struct {
        const char* bytes;
        Strings fields;
    } cases[] = {
        {"a,b\rc\nd\r\ne", {"a", "b", "c", "d", "e"}},                 // each kind of line end
        {"  \t122.80 \t,\tx  \r\n", {"122.80", "x"}},                  // padding around a field
        {"a b  c ,x", {"a b  c", "x"}},                                // blanks inside stay
        {"  \" Main, Lobby \" junk,next", {" Main, Lobby ", "next"}},  // quoted
        {"\"\",x", {"", "x"}},                                         // empty quotes
        {"a,\"b,c\r\nd", {"a", "b,c\r\nd"}},                           // quote never closed
        {"ab\"cd,e\"", {"ab\"cd", "e\""}},                             // quote inside a value
        {"a,,b\r\n\r\n\n,", {"a", "", "b", "", "", ""}},               // empty fields
        {"a,", {"a"}},                                                 // nothing left after a
        {"a,  ", {"a", ""}},                                           // blanks make a last field
        {"", {}},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(Values(example.bytes), example.fields) << example.bytes;
    }
}

TEST(FieldReader, LinesCountEachLineEndOnceAlsoInsideQuotes) {
    const std::vector<Field> fields = ReadAll("a,b\rc\nd\r\n\"one\r\ntwo\nthree\",z");
    std::vector<int> lines;
    for (const Field& field : fields) lines.push_back(field.line);
    EXPECT_EQ(lines, (std::vector<int>{1, 1, 2, 3, 4, 6}));
}

TEST(FieldReader, AFieldOfAMegabyteComesBackWhole) {
    const std::string big(1 << 20, 'x');
    const Strings values = Values(big + ",b");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], big);
}

TEST(FieldReader, BinaryGarbageEndsAndEveryFieldConsumesInput) {
    std::string garbage;
    uint32_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(state >> 24));
    }
    garbage += std::string("\0\"\r", 3);
    FieldReader reader(garbage);
    std::string field;
    size_t count = 0, bytesInFields = 0;
    while (reader.NextField(field)) {
        ++count;
        bytesInFields += field.size();
        ASSERT_LE(count, garbage.size());
    }
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_LE(bytesInFields + count, garbage.size() + 1);
}

// ---- the whole table, read by the window's load

std::string Record(int n) {
    const std::string id = std::to_string(n);
    return "1" + id + ",server" + id + ",login" + id + ",pass" + id + ",chan" + id + ",sub" + id +
           "\r\n";
}

std::string Records(int count) {
    std::string text;
    for (int n = 1; n <= count; ++n) text += Record(n);
    return text;
}

struct LoadedTable : FakeApp {
    explicit LoadedTable(const std::string& bytes) {
        sys.files.Add(FakeSystem::kTableFile, bytes);
        Window();
    }
    int16_t Count() { return Window().ChannelCount; }
    ChannelColumns& Table() { return Window().ChannelTable; }
};

TEST(ChannelTable, TwoHundredRecordsAllLoad) {
    LoadedTable loaded(Records(200));
    EXPECT_EQ(loaded.Count(), 200);
    EXPECT_EQ(loaded.Table().Frequency[1], L"11");
    EXPECT_EQ(loaded.Table().SubChannel[200], L"sub200");
    EXPECT_TRUE(loaded.sys.dialogs.boxes.empty());
}

TEST(ChannelTable, RecordsBeyondTwoHundredAreIgnoredSilently) {
    LoadedTable loaded(Records(250));
    EXPECT_EQ(loaded.Count(), 200);
    EXPECT_EQ(loaded.Table().Server[200], L"server200");
    EXPECT_TRUE(loaded.sys.dialogs.boxes.empty());
    EXPECT_EQ(loaded.general.SessionName, L"Pilot");  // the load went on
}

TEST(ChannelTable, ARecordCutShortIsDroppedButItsFieldsStayInTheNextSlot) {
    LoadedTable loaded(Records(2) + "A, B,C,D");
    EXPECT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.Table().Frequency[3], L"A");
    EXPECT_EQ(loaded.Table().Password[3], L"D");
    EXPECT_EQ(loaded.Table().Channel[3], L"");
    EXPECT_TRUE(loaded.sys.dialogs.boxes.empty());
}

TEST(ChannelTable, EmptyLinesAtTheEndStartARecordThatTheEndCutsShort) {
    for (int emptyLines = 1; emptyLines <= 5; ++emptyLines) {
        std::string file = Records(3);
        for (int i = 0; i < emptyLines; ++i) file += "\r\n";
        EXPECT_EQ(LoadedTable(file).Count(), 3) << emptyLines << " empty lines";
    }
    // Six empty lines are six empty fields: a whole record, as the field count says.
    EXPECT_EQ(LoadedTable(Records(3) + "\n\n\n\n\n\n").Count(), 4);
}

TEST(ChannelTable, OnlyTheFieldCountMakesARecord) {
    LoadedTable loaded(
        "121.50,s1,l1,p1,c1,x1,122.80,s2,l2,p2,c2,x2\n"
        "123.45,s3,l3\n"
        "p3,c3,x3");
    EXPECT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.Table().Frequency[2], L"122.80");
    EXPECT_EQ(loaded.Table().Password[3], L"p3");
    EXPECT_EQ(loaded.Table().SubChannel[3], L"x3");
}

TEST(ChannelTable, EndingInsideTheThirdRecordKeepsTwo) {
    EXPECT_EQ(LoadedTable(Records(2) + "13,server3\r\n").Count(), 2);
}

TEST(ChannelTable, FieldsAreConvertedFromTheSystemCodePage) {
    LoadedTable loaded("122.80,\"Caf\xE9 Server, West\",l,p,\"Tower \xC4\",s");
    EXPECT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.Table().Server[1], L"Caf\u00E9 Server, West");
    EXPECT_EQ(loaded.Table().Channel[1], L"Tower \u00C4");
}

TEST(ChannelTable, AFieldThatCannotBeConvertedEndsTheTableLikeACut) {
    FakeApp app;
    app.sys.files.Add(FakeSystem::kTableFile, Records(3));
    app.sys.files.conversionFailureOn = "pass2";
    EXPECT_EQ(app.Window().ChannelCount, 1);
    EXPECT_TRUE(app.sys.dialogs.boxes.empty());
}

TEST(ChannelTable, AnEmptyFileGivesNoRecordsAndTheLoadGoesOn) {
    LoadedTable loaded("");
    EXPECT_EQ(loaded.Count(), 0);
    EXPECT_TRUE(loaded.sys.dialogs.boxes.empty());
    EXPECT_EQ(loaded.general.SessionName, L"Pilot");
}

TEST(ChannelTable, AMissingFileIsReportedAndTheRestOfTheLoadIsSkipped) {
    FakeApp app;
    app.sys.files.contents.erase(FakeSystem::kTableFile);
    ASSERT_TRUE(app.general.StartUp());

    ASSERT_EQ(app.sys.dialogs.boxes.size(), 1u);
    const ShownBox& box = app.sys.dialogs.boxes[0];
    EXPECT_EQ(box.text,
              L"An error occured while Brenvale was loading it's channel data file and locating "
              L"TeamSpeak. Brenvale will continue, however may not function correctly.\r\n\r\n"
              L"If you are unable to solve the problem, please contact the developer with the "
              L"following error message: \r\nThe system cannot find the file specified.");
    EXPECT_EQ(box.title, L"Error");
    EXPECT_EQ(box.flags, 48u);
    FrmMain& window = app.Window();
    EXPECT_EQ(window.ChannelCount, 0);
    EXPECT_EQ(window.TeamSpeakDir, L"");
    EXPECT_EQ(app.general.SessionName, L"");
    EXPECT_EQ(app.sys.IndexOf("settings:get"), -1);
    EXPECT_TRUE(app.sys.Window().shown);
    EXPECT_TRUE(app.sys.Window().timerEnabled);
}

}  // namespace

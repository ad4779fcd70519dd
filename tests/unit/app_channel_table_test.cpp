// Reading the channel table: the field rules, and the table's limits and error paths.

#include <string>
#include <vector>

#include "FakePlatform.h"

namespace {

using Strings = std::vector<std::string>;

// Every field with the line it started on.
Strings ReadAll(std::string_view bytes, std::vector<int>* lines = nullptr) {
    FieldReader reader(bytes);
    Strings fields;
    std::string field;
    for (int line = reader.Line(); reader.NextField(field); line = reader.Line()) {
        fields.push_back(field);
        if (lines) lines->push_back(line);
    }
    return fields;
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
    for (const auto& example : cases) EXPECT_EQ(ReadAll(example.bytes), example.fields);

    std::vector<int> lines;  // each line end counts once, also inside quotes
    ReadAll("a,b\rc\nd\r\n\"one\r\ntwo\nthree\",z", &lines);
    EXPECT_EQ(lines, (std::vector<int>{1, 1, 2, 3, 4, 6}));

    const std::string big(1 << 20, 'x');
    EXPECT_TRUE(ReadAll(big + ",b") == (Strings{big, "b"}));
}

TEST(FieldReader, BinaryGarbageEndsAndEveryFieldConsumesInput) {
    std::string garbage;
    for (uint32_t i = 0, state = 12345; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(state >> 24));
    }
    garbage += std::string("\0\"\r", 3);
    FieldReader reader(garbage);
    std::string field;
    size_t count = 0, bytesInFields = 0;
    while (reader.NextField(field)) {
        bytesInFields += field.size();
        ASSERT_LE(++count, garbage.size());
    }
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_LE(bytesInFields + count, garbage.size() + 1);
}

// ---- the whole table, read by the window's load

std::string Records(int count) {
    std::string text;
    for (int n = 1; n <= count; ++n) {
        const std::string id = std::to_string(n);
        text += "1" + id + ",server" + id + ",login" + id + ",pass" + id + ",chan" + id + ",sub" +
                id + "\r\n";
    }
    return text;
}

struct SlotValue {
    int slot;
    ChannelColumns::Column ChannelColumns::*column;
    const wchar_t* value;
};

TEST(ChannelTable, OnlyTheFieldCountMakesARecordUpToTwoHundred) {
    using C = ChannelColumns;
    const struct {
        std::string bytes;
        int count;
        std::vector<SlotValue> slots;
    } cases[] = {
        {Records(200), 200, {{1, &C::Frequency, L"11"}, {200, &C::SubChannel, L"sub200"}}},
        {Records(250), 200, {{200, &C::Server, L"server200"}}},  // the rest ignored silently
        // A record cut short is dropped, but its fields stay in the next slot.
        {Records(2) + "A, B,C,D",
         2,
         {{3, &C::Frequency, L"A"}, {3, &C::Password, L"D"}, {3, &C::Channel, L""}}},
        {Records(2) + "13,server3\r\n", 2, {}},
        {"121.50,s1,l1,p1,c1,x1,122.80,s2,l2,p2,c2,x2\n123.45,s3,l3\np3,c3,x3",
         3,
         {{2, &C::Frequency, L"122.80"}, {3, &C::Password, L"p3"}, {3, &C::SubChannel, L"x3"}}},
        // Empty lines at the end start a record that the end cuts short, until six of them
        // make six empty fields: a whole record.
        {Records(3) + "\r\n", 3, {}},
        {Records(3) + "\r\n\r\n\r\n\r\n\r\n", 3, {}},
        {Records(3) + "\n\n\n\n\n\n", 4, {}},
        {"", 0, {}},
    };
    for (const auto& example : cases) {
        FakeApp app;
        const FrmMain& window = app.LoadTable(example.bytes);
        EXPECT_EQ(window.ChannelCount, example.count) << example.bytes.substr(0, 80);
        for (const SlotValue& expected : example.slots) {
            EXPECT_EQ((window.ChannelTable.*expected.column)[expected.slot], expected.value);
        }
        EXPECT_TRUE(app.sys.boxes.empty());
        EXPECT_EQ(app.general.SessionName, L"Pilot");  // the load went on
    }
}

TEST(ChannelTable, FieldsAreConvertedFromTheSystemCodePageAndAFailureEndsTheTable) {
    FakeApp app;
    const FrmMain& window = app.LoadTable("122.80,\"Caf\xE9 Server, West\",l,p,\"Tower \xC4\",s");
    EXPECT_EQ(window.ChannelCount, 1);
    EXPECT_EQ(window.ChannelTable.Server[1], L"Caf\u00E9 Server, West");
    EXPECT_EQ(window.ChannelTable.Channel[1], L"Tower \u00C4");

    FakeApp failing;
    failing.sys.conversionFailureOn = "pass2";
    EXPECT_EQ(failing.LoadTable(Records(3)).ChannelCount, 1);  // like a record cut short
    EXPECT_TRUE(failing.sys.boxes.empty());
}

TEST(ChannelTable, AMissingFileIsReportedAndTheRestOfTheLoadIsSkipped) {
    FakeApp app;
    app.sys.contents.erase(FakeSystem::kTableFile);
    ASSERT_TRUE(app.general.StartUp());

    app.ExpectBoxes({shown::ErrorBox(shown::kLoadFailed, FakeSystem::kNotFound)});
    EXPECT_EQ(app.Window().ChannelCount, 0);
    EXPECT_EQ(app.Window().TeamSpeakDir, L"");
    EXPECT_EQ(app.general.SessionName, L"");
    EXPECT_EQ(app.sys.IndexOf("settings:get"), -1);
    EXPECT_TRUE(app.sys.Window().shown);
    EXPECT_TRUE(app.sys.Window().timerEnabled);
}

}  // namespace

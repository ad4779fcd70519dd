// The field reader: the table format's rules over a file's characters.

#include "FakePlatform.h"

using Strings = std::vector<std::string>;

// Every field (its units as bytes) with the line it started on. The file is handed out
// `chunk` bytes per read, so characters fall across the reads' edges.
static Strings ReadAll(std::string_view bytes, std::vector<int>* lines, size_t chunk) {
    BytesReader file(bytes, chunk);
    TableSource source(file);
    FieldReader reader(source);
    Strings fields;
    Units field;
    for (int line = reader.Line(); reader.NextField(field); line = reader.Line()) {
        fields.emplace_back(field.begin(), field.end());
        if (lines) lines->push_back(line);
    }
    return fields;
}

TEST(FieldReader, SplitsFieldsByTheTableRules) {
    const std::pair<const char*, Strings> cases[] = {
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
    for (const auto& [bytes, fields] : cases) {
        for (size_t chunk : {1, 4096}) {
            EXPECT_EQ(ReadAll(bytes, nullptr, chunk), fields) << bytes;
        }
    }

    for (size_t chunk : {1, 4096}) {
        std::vector<int> lines;  // each line end counts once, also inside quotes
        ReadAll("a,b\rc\nd\r\n\"one\r\ntwo\nthree\r\nfour\",z", &lines, chunk);
        EXPECT_EQ(lines, (std::vector<int>{1, 1, 2, 3, 4, 7}));
    }
}

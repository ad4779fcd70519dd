#pragma once
// The channel table as Brenvale loads it, and what in it will not work as the pilot
// likely meant. Loading goes through the program's own record loop and decoding, so the
// checker sees exactly the records the program sees.

#include <array>
#include <string>
#include <vector>

#include "app/ChannelTable.h"

namespace checker {

// The six fields' names as the warnings give them, in file order.
extern const wchar_t* const kFieldNames[kFieldsPerRecord];

// One thing to tell the pilot about. Record 0 means the file as a whole; line 0 means
// no particular line.
struct Warning {
    int record = 0;
    int line = 0;
    std::wstring text;
};

// The table as the program holds it after its load: the columns with every slot it
// wrote (also those of a record cut short), the count, and where each record starts.
struct Table {
    ChannelColumns columns;
    int count = 0;
    // Line of the first field of each record; slot count + 1 for a record cut short.
    std::array<int, kChannelCapacity + 2> lines{};
    // True when the slot after the last record holds fields of a record cut short.
    bool cutShortFieldsKept = false;
    // How the text was decoded, and whether a byte order mark said so.
    TextEncoding encoding = TextEncoding::Ansi;
    bool marked = false;
    std::vector<Warning> warnings;
};

// Loads the file by the program's rules and collects every warning, ordered by record
// (the file as a whole first). Reading failures throw PlatformFailure.
Table CheckTable(FileReader& file, TextCodec& decoder);

// Only the load and the warnings about the file's structure (the record limit, where
// the table stops and why, bytes that are not UTF-8, the layout of lines), without the
// checks of each record's values.
Table LoadTable(FileReader& file, TextCodec& decoder);

// The encoding as the report names it, e.g. "UTF-8 with a byte order mark".
std::wstring EncodingName(const Table& table);

// The checks of each loaded record's values, appended to the table's warnings.
void CheckRecords(Table& table);

// The six-character form the radio's frequency is shown in: 1dd.dd.
bool IsDisplayForm(const std::wstring& frequency);

// The record the program chooses for a frequency, and whether its frequency matched or
// record 1 was taken as the default.
struct Choice {
    int record = 1;
    bool matched = false;
};
Choice ChooseRecord(const Table& table, const std::wstring& frequency);

}  // namespace checker

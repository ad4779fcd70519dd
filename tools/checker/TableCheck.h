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
    // Records whose fields are not the ones written on their line, for a reason a warning
    // on the layout already gives; their values are not checked further.
    std::array<bool, kChannelCapacity + 2> misplaced{};
    // How the text was decoded, and whether a byte order mark said so.
    TextEncoding encoding = TextEncoding::Ansi;
    bool marked = false;
    // The system's code page as the report names it: an ANSI table's, and the one
    // TeamSpeak reads its command line in.
    std::wstring codePage;
    std::vector<Warning> warnings;
    // Fields of a marked UTF-8 file holding bytes that are not UTF-8, by index in file
    // order; the program reads each such sequence as U+FFFD.
    std::vector<int> notUtf8;
};

// Loads the file by the program's rules and collects every warning, ordered by record
// (the file as a whole first). `codec` is the system's conversions, `codePage` the name of
// its code page as the report gives it. A failure while the file is read ends the table
// there, with a warning that says why; a conversion that fails after it (PlatformFailure,
// std::bad_alloc) throws.
Table CheckTable(FileReader& file, TextCodec& codec, const std::wstring& codePage);

// Only the load and the warnings about the file's structure (the record limit, where
// the table stops and why, bytes that are not UTF-8, the layout of lines and quotes),
// without the checks of each record's values.
Table LoadTable(FileReader& file, TextCodec& codec, const std::wstring& codePage);

// The encoding as the report names it, e.g. "UTF-8 with a byte order mark".
std::wstring EncodingName(const Table& table);

// The checks of each loaded record's values, appended to the table's warnings.
void CheckRecords(Table& table, TextCodec& codec);

// Text as the report shows it: each control character (C0, DEL, C1) written as
// <U+001B>, so no table can move the cursor or hide text on the pilot's terminal.
std::wstring Printable(const std::wstring& text);

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

#pragma once
// The channel table as Brenvale loads it, and what in it will not work as the pilot
// likely meant. Loading goes through the program's own record loop and decoding, so the
// checker sees exactly the records the program sees.

#include <array>
#include <string>
#include <vector>

#include "app/ChannelTable.h"
#include "ipc/Com1Display.h"

namespace checker {

// The six fields' names as the warnings give them, in file order.
extern const wchar_t* const kFieldNames[kFieldsPerRecord];

// What characters outside the system's code page are, in a pilot's words.
extern const std::wstring kCannotPass;

// What a warning says Brenvale does. Each is computed by the program's own functions on
// the records as loaded (Chosen, StartWith), never from a field's text, and its sentence is
// made in one place (Warn).
enum class Consequence {
    NeverChosen,         // no frequency the radio shows chooses the record
    DefaultForUnlisted,  // the record is used for every frequency no record has
    Started,             // TeamSpeak is started with the record's values as they are
    NotStarted,          // the record's values keep TeamSpeak from being started
    Dropped,             // the record is not loaded
};

// One thing to tell the pilot about. Record 0 means the file as a whole; line 0 means
// no particular line.
struct Warning {
    int record = 0;
    int line = 0;
    std::wstring text;
    std::vector<Consequence> stated;
    int subject = 0;  // the record `stated` is about
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
    // True when lines separated by semicolons or tabs were found (and said).
    bool separatedOtherwise = false;
    std::vector<Warning> warnings;
    // Fields of a marked UTF-8 file holding bytes that are not UTF-8, by index in file
    // order; the program reads each such sequence as U+FFFD.
    std::vector<int> notUtf8;
};

// Adds a warning: what is wrong, a sentence for each consequence (about record `subject`,
// the warning's own when 0), then the one fix.
void Warn(Table& table, int record, int line, const std::wstring& what,
          std::vector<Consequence> stated = {}, const std::wstring& fix = {}, int subject = 0);

// By the program's choice (ChooseChannelRecord): NeverChosen for a loaded record that no
// frequency the radio shows selects, DefaultForUnlisted for record 1, nothing otherwise.
std::vector<Consequence> Chosen(const Table& table, int record);

// By the program's own test of the command line (CommandLineFault), with no folder and no
// name so that the record alone is judged: Started or NotStarted.
Consequence StartWith(const Table& table, int record, TextCodec& codec);

// Loads the file by the program's rules and collects every
// warning, ordered by record (the file as a whole first). `codec` is the system's conversions,
// `codePage` the name of its code page as the report gives it. A failure while the file is read
// ends the table there, with a warning that says why; a conversion that fails after it
// (PlatformFailure, std::bad_alloc) throws.
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
// <U+001B>, so no table can move the cursor or hide text on the pilot's terminal, and so is
// a surrogate outside a pair, which is no character. A file name keeps its stand-ins for
// bytes that are not UTF-8 (`keepStrayBytes`), so it goes out as it was typed.
std::wstring Printable(const std::wstring& text, bool keepStrayBytes = false);

// The fix for a value holding a double quote, which TeamSpeak's command line cannot carry:
// a password or a name the server set is changed there, not in the table alone.
std::wstring WithoutDoubleQuote(int position);

// A Latin letter with a mark's plain letter ("z" for "ż"), or nothing.
std::wstring PlainLetter(const std::wstring& character);

// The characters of a text the system's code page cannot carry: the first few, each once,
// and how many more. The time grows with the text's length, not its square.
struct Outside {
    std::vector<std::wstring> named;
    size_t more = 0;
    std::wstring Text() const;  // "ż" (U+017C), ..., and 3 more
};
Outside CharactersOutside(const std::wstring& text, TextCodec& codec, bool skipReplacement);

// The record the program chooses for a frequency, and whether its frequency matched or
// record 1 was taken as the default.
struct Choice {
    int record = 1;
    bool matched = false;
};
Choice ChooseRecord(const Table& table, const std::wstring& frequency);

}  // namespace checker

#pragma once
// The channel table: which TeamSpeak server and channel belongs to each COM1
// frequency, as read from "brenvale.txt" beside the program.

#include <array>
#include <memory>
#include <string>

#include "app/FieldReader.h"
#include "platform/FileSystem.h"

// The table's file, after the folder it is in (the program's), and its name alone.
inline constexpr wchar_t kChannelTableFile[] = L"\\brenvale.txt";
inline constexpr const wchar_t* kChannelTableName = kChannelTableFile + 1;

constexpr int kChannelCapacity = 200;
constexpr int kFieldsPerRecord = 6;

// One record, its six texts in file order.
struct ChannelRecord {
    std::wstring Frequency, Server, LoginName, Password, Channel, SubChannel;
};

// Six parallel arrays; record n (1..200) is slot n of each, slot 0 is never used.
struct ChannelColumns {
    using Column = std::array<std::wstring, kChannelCapacity + 1>;
    Column Frequency, Server, LoginName, Password, Channel, SubChannel;
};

// The field at `index` counted from the first field of record 1, in file order.
std::wstring& FieldAt(ChannelColumns& table, int index);

// Why the reading of the table stopped.
enum class TableEnd {
    FileEnd,       // the file ended, perhaps inside a record, which is then dropped
    Capacity,      // a 201st record begins; nothing after it is read
    ReadFailed,    // the system could not read the file on
    OutOfMemory,   // an allocation was refused
    FieldTooLong,  // a field ran past kLongestField
};

// How far the table's fields reach: complete records, then the fields of the record
// after them (one cut short by the end of the file, or by a failure while it was read).
struct TableExtent {
    int records = 0;
    int fieldsAfter = 0;
    TableEnd end = TableEnd::FileEnd;
    std::wstring failure;  // the system's description, when reading failed
    int Fields() const { return records * kFieldsPerRecord + fieldsAfter; }
};

// What reading the file found: how far the fields reach, and its byte order mark.
struct TableRead {
    TableExtent extent;
    bool hasMark = false;
    TextEncoding marked = TextEncoding::Ansi;
};

// Told of each step of the record loop, for a closer look than the program needs (the
// table checker's line numbers, and what lies past the last record kept).
class TableReadObserver {
  public:
    virtual ~TableReadObserver() = default;
    // Record `record` (1-based) begins on `line`.
    virtual void RecordStarts(int record, int line) = 0;
    // Field `index` (0: record 1's frequency) was read; it began on `line`, and `reader`
    // stands after it (the next field's line, how this one was written).
    virtual void FieldRead(int index, const Units& field, int line, const FieldReader& reader) = 0;
    // A 201st record begins, and the program reads no further; `reader` stands at it.
    virtual void CapacityReached(FieldReader& reader) = 0;
};

// Reads records 1 to 200 into their slots as units, not yet text. Reading stops once a
// 201st record begins, so nothing after it is ever read. A failure while a record is read
// (the file cannot be read on, memory is refused, a field is too long) ends the table
// there as the end of the file would: the record is dropped, its fields read before the
// failure stay in its slot, and the field being read is left empty.
TableRead ReadTableFields(FileReader& file, ChannelColumns& table,
                          TableReadObserver* observer = nullptr);

// The encoding of the fields read: the mark's, or without one UTF-8 when they are all
// valid UTF-8 and one holds a byte above 0x7F, otherwise the system's code page.
TextEncoding ChooseEncoding(const TableRead& read, ChannelColumns& table, TextCodec& decoder);

// A field's units as text in the file's encoding.
std::wstring DecodeUnits(const Units& field, TextEncoding encoding, TextCodec& decoder);

// Turns the fields read into text in place. Marked UTF-8 is decoded as the system does
// without strict checking, each sequence that is not UTF-8 becoming U+FFFD, so every
// record keeps its place. The file is closed by then: a failure here throws.
void DecodeFields(ChannelColumns& table, const TableExtent& read, TextEncoding encoding,
                  TextCodec& decoder);

// The whole load of a table file: its fields read, the file closed, then the encoding
// judged and the fields decoded. Failures while a record is read end the table there;
// anything after the file is closed throws (PlatformFailure, std::bad_alloc).
struct LoadedTable {
    TableRead read;  // records 1 to read.extent.records are the table
    TextEncoding encoding = TextEncoding::Ansi;
};
LoadedTable LoadTableFile(std::unique_ptr<FileReader> file, ChannelColumns& table,
                          TextCodec& decoder);

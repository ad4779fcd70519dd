#pragma once
// The channel table: which TeamSpeak server and channel belongs to each COM1
// frequency, as read from "brenvale.txt" beside the program.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

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

// How the file's text is written. Editors mark UTF-16 and often UTF-8 with a byte
// order mark at the start; UTF-8 without one is told by its bytes.
enum class TextEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

// A field's characters as they stand in the file, one unit each: bytes for ANSI and
// UTF-8, 16-bit units for UTF-16. They become text once the encoding is known.
using Units = std::wstring;

// The characters of a table file, pulled from it a small piece at a time, so the file's
// size never matters. A byte order mark at the start selects its encoding and is not
// part of the text; without one every byte is a character. Nothing is read before the
// first Peek, so every read of the file happens while the records are read.
class TableSource {
  public:
    explicit TableSource(FileReader& file) : file_(file) {}
    TableSource(const TableSource&) = delete;
    TableSource& operator=(const TableSource&) = delete;
    // The next character, or false at the end of the file.
    bool Peek(wchar_t& unit);
    void Advance() { begin_ += unitBytes_; }
    // The mark's encoding; known once the first character was asked for.
    TextEncoding Marked() const { return marked_; }
    bool HasMark() const { return hasMark_; }
    // Bytes of the file taken so far, the mark included.
    uint64_t Consumed() const { return read_ - (end_ - begin_); }

  private:
    void TakeMark();
    bool Ensure(size_t bytes);

    FileReader& file_;
    char buffer_[4096];
    size_t begin_ = 0, end_ = 0;
    uint64_t read_ = 0;
    size_t unitBytes_ = 1;
    bool markTaken_ = false;
    TextEncoding marked_ = TextEncoding::Ansi;
    bool hasMark_ = false;
};

// The longest field the program keeps, in the file's characters (bytes of an 8-bit
// file): no TeamSpeak command line can carry more, since Windows caps a command line at
// 32,767 characters. A longer field, such as a double quote never closed, fails its record.
constexpr size_t kLongestField = 32767;
struct FieldTooLong {};

// How the field last read was written, beyond its value: the table checker names with it
// what the value leaves out of the text in the file.
struct FieldForm {
    static constexpr size_t kDroppedKept = 64;
    bool quoted = false;
    bool closed = false;     // its closing double quote came before the end of the file
    bool endsLine = false;   // a line end or the end of the file ended it, not a comma
    bool dropsText = false;  // more than blanks and tabs followed the closing quote
    Units dropped;           // what followed the closing quote, its first kDroppedKept units
};

// Reads the file's fields one after another, by the rules of the table format:
// a field ends at a comma or a line end (CR, LF or CR LF); blanks and tabs before it
// are skipped; a field that starts with a double quote runs to the next double quote
// (line ends included) and whatever follows the closing quote up to the delimiter is
// dropped. An unquoted field loses its trailing blanks and tabs, and keeps any double
// quote after its first character.
class FieldReader {
  public:
    explicit FieldReader(TableSource& source) : source_(source) {}
    bool AtEnd();
    // The next field, or false when no characters are left. A field longer than
    // kLongestField throws FieldTooLong as soon as it passes that length.
    bool NextField(Units& field) { return Read(&field); }
    // The same, without keeping the field, however long.
    bool SkipField() { return Read(nullptr); }
    // Whether the field last read or skipped held nothing but blanks and tabs.
    bool LastFieldEmpty() const { return lastFieldEmpty_; }
    // 1-based line on which the next field starts (for the table checker's messages).
    int Line() const { return line_; }
    const FieldForm& LastForm() const { return form_; }
    // Bytes of the file taken so far.
    uint64_t BytesTaken() const { return source_.Consumed(); }

  private:
    bool Read(Units* field);
    void Keep(Units* field, wchar_t unit);
    void SkipPadding();
    void ReadQuoted(Units* field);
    void ReadUnquoted(Units* field);
    void SkipToDelimiter();
    void ConsumeDelimiter();

    TableSource& source_;
    int line_ = 1;
    bool lastFieldEmpty_ = true;
    FieldForm form_;
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

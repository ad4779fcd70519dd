#pragma once
// The channel table: which TeamSpeak server and channel belongs to each COM1
// frequency, as read from "brenvale.txt" beside the program.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

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
// part of the text; without one every byte is a character.
class TableSource {
  public:
    explicit TableSource(FileReader& file);
    TableSource(const TableSource&) = delete;
    TableSource& operator=(const TableSource&) = delete;
    // The next character, or false at the end of the file.
    bool Peek(wchar_t& unit);
    void Advance() { begin_ += unitBytes_; }
    TextEncoding Marked() const { return marked_; }
    bool HasMark() const { return hasMark_; }
    // Bytes of the file taken so far, the mark included.
    uint64_t Consumed() const { return read_ - (end_ - begin_); }

  private:
    bool Ensure(size_t bytes);

    FileReader& file_;
    char buffer_[4096];
    size_t begin_ = 0, end_ = 0;
    uint64_t read_ = 0;
    size_t unitBytes_ = 1;
    TextEncoding marked_ = TextEncoding::Ansi;
    bool hasMark_ = false;
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
    // The next field, or false when no characters are left.
    bool NextField(Units& field) { return Read(&field); }
    // The same, without keeping the field.
    bool SkipField() { return Read(nullptr); }
    // 1-based line on which the next field starts (for the table checker's messages).
    int Line() const { return line_; }

  private:
    bool Read(Units* field);
    void SkipPadding();
    void ReadQuoted(Units* field);
    void ReadUnquoted(Units* field);
    void SkipToDelimiter();
    void ConsumeDelimiter();

    TableSource& source_;
    int line_ = 1;
};

// The field at `index` counted from the first field of record 1, in file order.
std::wstring& FieldAt(ChannelColumns& table, int index);

// How far the table's fields reach: complete records, then the fields of the record
// after them (one cut short by the end of the file, or by a field that cannot be
// decoded).
struct TableExtent {
    int records = 0;
    int fieldsAfter = 0;
    bool conversionFailed = false;
    int Fields() const { return records * kFieldsPerRecord + fieldsAfter; }
};

// Reads records 1 to 200 into their slots as units, not yet text. Reading stops once a
// 201st record begins, so nothing after it is ever read.
TableExtent ReadTableFields(FieldReader& reader, ChannelColumns& table);

// The encoding of the fields read: the mark's, or without one UTF-8 when they are all
// valid UTF-8 and one holds a byte above 0x7F, otherwise the system's code page.
TextEncoding ChooseEncoding(const TableSource& source, ChannelColumns& table,
                            const TableExtent& read, TextDecoder& decoder);

// Turns the fields read into text in place. A field that cannot be decoded ends the
// table there, as the end of the file would; the fields after it are cleared.
TableExtent DecodeFields(ChannelColumns& table, const TableExtent& read, TextEncoding encoding,
                         TextDecoder& decoder);

// A file's bytes held in memory, read like a file.
class BytesReader : public FileReader {
  public:
    explicit BytesReader(std::string_view bytes) : bytes_(bytes) {}
    size_t Read(char* buffer, size_t capacity) override {
        const size_t count = std::min(capacity, bytes_.size());
        if (count > 0) std::memcpy(buffer, bytes_.data(), count);
        bytes_.remove_prefix(count);
        return count;
    }

  private:
    std::string_view bytes_;
};

#pragma once
// The fields of a channel table file, read from its characters by the table format's rules.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/TableSource.h"

// A field's characters as they stand in the file, one unit each: bytes for ANSI and
// UTF-8, 16-bit units for UTF-16. They become text once the encoding is known.
using Units = std::wstring;

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

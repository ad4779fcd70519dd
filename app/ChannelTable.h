#pragma once
// The channel table: which TeamSpeak server and channel belongs to each COM1
// frequency, as read from "brenvale.txt" beside the program.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int kChannelCapacity = 200;

// One record, its six texts in file order.
struct ChannelRecord {
    std::wstring Frequency, Server, LoginName, Password, Channel, SubChannel;
};

// Six parallel arrays; record n (1..200) is slot n of each, slot 0 is never used.
struct ChannelColumns {
    using Column = std::array<std::wstring, kChannelCapacity + 1>;
    Column Frequency, Server, LoginName, Password, Channel, SubChannel;
};

// Reads the file's fields one after another, by the rules of the table format:
// a field ends at a comma or a line end (CR, LF or CR LF); blanks and tabs before it
// are skipped; a field that starts with a double quote runs to the next double quote
// (line ends included) and whatever follows the closing quote up to the delimiter is
// dropped. An unquoted field loses its trailing blanks and tabs, and keeps any double
// quote after its first character. Works on the file's raw 8-bit bytes; the caller
// converts each field.
class FieldReader {
  public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}
    bool AtEnd() const { return position_ >= bytes_.size(); }
    // The next field, or false when no characters are left.
    bool NextField(std::string& field);
    // 1-based line on which the next field starts (for the table checker's messages).
    int Line() const { return line_; }

  private:
    void SkipPadding();
    std::string ReadQuoted();
    std::string ReadUnquoted();
    void SkipToDelimiter();
    void ConsumeDelimiter();

    std::string_view bytes_;
    size_t position_ = 0;
    int line_ = 1;
};

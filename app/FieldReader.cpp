#include "app/ChannelTable.h"

namespace {

constexpr char kFieldEnds[] = ",\r\n";
constexpr char kPadding[] = " \t";

// Line ends in a piece of text, a CR LF pair counting once.
int CountLineEnds(std::string_view text) {
    int count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') ++count;
        if (text[i] == '\r') {
            ++count;
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    return count;
}

}  // namespace

bool FieldReader::NextField(std::string& field) {
    if (AtEnd()) return false;
    SkipPadding();
    if (!AtEnd() && bytes_[position_] == '"') {
        field = ReadQuoted();
        SkipToDelimiter();  // anything between the closing quote and the delimiter
    } else {
        field = ReadUnquoted();
    }
    ConsumeDelimiter();
    return true;
}

// Blanks and tabs in front of a field are layout, not value; they never cross a line end,
// so an empty line still gives an empty field.
void FieldReader::SkipPadding() {
    const size_t first = bytes_.find_first_not_of(kPadding, position_);
    position_ = first == std::string_view::npos ? bytes_.size() : first;
}

// A quoted value runs to the next double quote, or to the end of the file when the
// closing quote is missing.
std::string FieldReader::ReadQuoted() {
    ++position_;  // the opening quote
    size_t end = bytes_.find('"', position_);
    if (end == std::string_view::npos) end = bytes_.size();
    const std::string_view value = bytes_.substr(position_, end - position_);
    line_ += CountLineEnds(value);
    position_ = end < bytes_.size() ? end + 1 : end;
    return std::string(value);
}

// An unquoted value runs to the delimiter. Trailing blanks and tabs are dropped so that
// a hand-edited "122.80 ," still matches the label's text.
std::string FieldReader::ReadUnquoted() {
    size_t end = bytes_.find_first_of(kFieldEnds, position_);
    if (end == std::string_view::npos) end = bytes_.size();
    std::string_view value = bytes_.substr(position_, end - position_);
    const size_t last = value.find_last_not_of(kPadding);
    value = last == std::string_view::npos ? std::string_view() : value.substr(0, last + 1);
    position_ = end;
    return std::string(value);
}

void FieldReader::SkipToDelimiter() {
    const size_t end = bytes_.find_first_of(kFieldEnds, position_);
    position_ = end == std::string_view::npos ? bytes_.size() : end;
}

void FieldReader::ConsumeDelimiter() {
    if (AtEnd()) return;
    const char delimiter = bytes_[position_++];
    if (delimiter == ',') return;
    ++line_;
    if (delimiter == '\r' && !AtEnd() && bytes_[position_] == '\n') ++position_;
}

// The table file's characters and fields: the byte order mark, the buffer, the field rules.

#include <cstring>

#include "app/ChannelTable.h"

namespace {

bool IsPadding(wchar_t unit) {
    return unit == L' ' || unit == L'\t';
}

bool IsFieldEnd(wchar_t unit) {
    return unit == L',' || unit == L'\r' || unit == L'\n';
}

struct Mark {
    const char* bytes;
    size_t size;
    TextEncoding encoding;
};
constexpr Mark kMarks[] = {
    {"\xEF\xBB\xBF", 3, TextEncoding::Utf8},
    {"\xFF\xFE", 2, TextEncoding::Utf16Le},
    {"\xFE\xFF", 2, TextEncoding::Utf16Be},
};

}  // namespace

void TableSource::TakeMark() {
    markTaken_ = true;
    Ensure(3);
    for (const Mark& mark : kMarks) {
        if (end_ >= mark.size && std::memcmp(buffer_, mark.bytes, mark.size) == 0) {
            marked_ = mark.encoding;
            hasMark_ = true;
            begin_ = mark.size;
            unitBytes_ = mark.encoding == TextEncoding::Utf8 ? 1 : 2;
            return;
        }
    }
}

// Makes at least `bytes` bytes available from begin_, reading more as needed; false
// when the file ends first (a lone byte at the end of a UTF-16 file is no character).
bool TableSource::Ensure(size_t bytes) {
    while (end_ - begin_ < bytes) {
        if (begin_ > 0) {
            std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        const size_t read = file_.Read(buffer_ + end_, sizeof buffer_ - end_);
        if (read == 0) return false;
        end_ += read;
        read_ += read;
    }
    return true;
}

bool TableSource::Peek(wchar_t& unit) {
    if (!markTaken_) TakeMark();
    if (!Ensure(unitBytes_)) return false;
    const auto* at = reinterpret_cast<const unsigned char*>(buffer_ + begin_);
    if (unitBytes_ == 1) {
        unit = at[0];
    } else if (marked_ == TextEncoding::Utf16Le) {
        unit = static_cast<wchar_t>(at[0] | at[1] << 8);
    } else {
        unit = static_cast<wchar_t>(at[0] << 8 | at[1]);
    }
    return true;
}

bool FieldReader::AtEnd() {
    wchar_t unit;
    return !source_.Peek(unit);
}

bool FieldReader::Read(Units* field) {
    if (AtEnd()) return false;
    if (field) field->clear();
    lastFieldEmpty_ = true;
    form_ = FieldForm();
    SkipPadding();
    wchar_t unit;
    if (source_.Peek(unit) && unit == L'"') {
        source_.Advance();
        form_.quoted = true;
        ReadQuoted(field);
        SkipToDelimiter();  // anything between the closing quote and the delimiter
    } else {
        ReadUnquoted(field);
    }
    ConsumeDelimiter();
    return true;
}

void FieldReader::Keep(Units* field, wchar_t unit) {
    if (!IsPadding(unit)) lastFieldEmpty_ = false;
    if (!field) return;
    if (field->size() == kLongestField) throw FieldTooLong();
    field->push_back(unit);
}

// Blanks and tabs in front of a field are layout, not value; they never cross a line end,
// so an empty line still gives an empty field.
void FieldReader::SkipPadding() {
    wchar_t unit;
    while (source_.Peek(unit) && IsPadding(unit)) source_.Advance();
}

// A quoted value runs to the next double quote, or to the end of the file when the
// closing quote is missing. Its line ends count, a CR LF pair once.
void FieldReader::ReadQuoted(Units* field) {
    wchar_t unit, previous = 0;
    while (source_.Peek(unit)) {
        source_.Advance();
        if (unit == L'"') {
            form_.closed = true;
            return;
        }
        if (unit == L'\r' || (unit == L'\n' && previous != L'\r')) ++line_;
        Keep(field, unit);
        previous = unit;
    }
}

// An unquoted value runs to the delimiter. Trailing blanks and tabs are dropped so that
// a hand-edited "122.80 ," still matches the label's text.
void FieldReader::ReadUnquoted(Units* field) {
    wchar_t unit;
    while (source_.Peek(unit) && !IsFieldEnd(unit)) {
        Keep(field, unit);
        source_.Advance();
    }
    while (field && !field->empty() && IsPadding(field->back())) field->pop_back();
}

// What follows a closing quote is dropped; its start is kept for the table checker.
void FieldReader::SkipToDelimiter() {
    wchar_t unit;
    while (source_.Peek(unit) && !IsFieldEnd(unit)) {
        form_.dropsText = form_.dropsText || !IsPadding(unit);
        if (form_.dropped.size() < FieldForm::kDroppedKept) form_.dropped.push_back(unit);
        source_.Advance();
    }
}

void FieldReader::ConsumeDelimiter() {
    wchar_t delimiter, next;
    if (!source_.Peek(delimiter)) {
        form_.endsLine = true;  // the end of the file ends the line too
        return;
    }
    source_.Advance();
    form_.endsLine = delimiter != L',';
    if (delimiter == L',') return;
    ++line_;
    if (delimiter == L'\r' && source_.Peek(next) && next == L'\n') source_.Advance();
}

// The table file's fields: the field rules over the file's characters.

#include "app/FieldReader.h"

namespace {

bool IsPadding(wchar_t unit) {
    return unit == L' ' || unit == L'\t';
}

bool IsFieldEnd(wchar_t unit) {
    return unit == L',' || unit == L'\r' || unit == L'\n';
}

}  // namespace

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

// Fields are counted, not lines: a line with a field too few or too many shifts every
// record after it, and a double quote can drop the rest of its field or swallow the rest
// of the file. Each such fault is said once, where it starts, with what Brenvale does and
// the fix; the records it misplaces get no warnings of their own.

#include "tools/checker/TableLayout.h"

#include <algorithm>
#include <array>
#include <string>

namespace checker {
namespace {

constexpr int kFields = kFieldsPerRecord;

std::wstring Number(int value) {
    return std::to_wstring(value);
}

std::wstring LinesText(int first, int last) {
    return first == last ? L"line " + Number(first)
                         : L"lines " + Number(first) + L" to " + Number(last);
}

// The fields up to one that a line end or the end of the file ends: one line of the file
// as the fields see it, however many line ends a quoted value holds.
struct FieldLine {
    int first = 0, last = 0;
    bool ended = false;  // false where the fields read stop inside it (record 200, a failure)
    int Size() const { return last - first + 1; }
};

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The lines of a value that runs over line ends (CR, LF or CR LF end one): the index of
// the last that holds more than blanks, and how many after the first do.
struct ValueLines {
    int lastFilled = 0, filledAfterFirst = 0;
};

ValueLines LinesOf(const std::wstring& value) {
    ValueLines lines;
    int line = 0;
    for (size_t at = 0; at < value.size(); ++at) {
        const wchar_t c = value[at];
        if (c == L'\r' || (c == L'\n' && (at == 0 || value[at - 1] != L'\r'))) {
            ++line;
        } else if (c != L'\n' && !IsBlank(c) && lines.lastFilled != line) {
            lines.lastFilled = line;
            ++lines.filledAfterFirst;
        }
    }
    return lines;
}

class Layout {
  public:
    Layout(Table& table, const std::vector<FieldSeen>& fields, TextCodec& codec)
        : table_(table), fields_(fields), codec_(codec), lineOf_(fields.size()) {
        for (int i = 0; i < FieldCount(); ++i) {
            if (i == 0 || fields_[i - 1].form.endsLine) lines_.push_back({i, i, false});
            lines_.back().last = i;
            lines_.back().ended = fields_[i].form.endsLine;
            lineOf_[i] = static_cast<int>(lines_.size()) - 1;
        }
        // The fields seen are the loaded records' and those of the one cut short, if any.
        records_ = (FieldCount() + kFields - 1) / kFields;
        if (records_ > table.count && RecordEmpty(records_)) records_ = table.count;
    }

    void Check() {
        WarnOtherSeparators();
        for (int record = 1; record <= records_;) record = CheckRecordFrom(record);
        WarnQuoteNeverClosed();
        for (int i = 0; i < table_.count * kFields; ++i) WarnTextAfterQuote(i);
    }

  private:
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    int First(int record) const { return (record - 1) * kFields; }
    int Last(int record) const { return std::min(record * kFields, FieldCount()) - 1; }
    const FieldLine& LineAt(int field) const { return lines_[lineOf_[field]]; }
    int LineNumber(const FieldLine& line) const { return fields_[line.first].line; }
    const std::wstring& Value(int field) const { return FieldAt(table_.columns, field); }

    bool RecordEmpty(int record) const {
        for (int i = First(record); i <= Last(record); ++i) {
            if (!Value(i).empty()) return false;
        }
        return true;
    }
    bool Complete(int record) const { return Last(record) - First(record) + 1 == kFields; }
    bool OnOneLine(int record) const { return lineOf_[First(record)] == lineOf_[Last(record)]; }
    // In step: the fields before it on its line make whole records, which holds exactly when
    // the line starts at a multiple of six, as every record does.
    bool StartsInStep(int record) const { return LineAt(First(record)).first % kFields == 0; }
    // The next record starts at the start of a line, or in step on a line of several.
    bool EndsInStep(int record) const {
        return Complete(record) && (OnOneLine(record) || fields_[Last(record)].form.endsLine);
    }

    void Misplace(int first, int last) {
        for (int record = first; record <= last; ++record) table_.misplaced[record] = true;
    }

    size_t CountOf(const FieldLine& line, wchar_t separator) const {
        size_t count = 0;
        for (int i = line.first; i <= line.last; ++i) {
            count += std::count(Value(i).begin(), Value(i).end(), separator);
        }
        return count;
    }

    // A line saved with another separator than the comma: one field holding semicolons or
    // tabs, or, where decimal commas split it, fewer than six fields holding the five
    // separators of a record.
    bool SeparatedOtherwise(const FieldLine& line) const {
        if (line.Size() >= kFields) return false;
        const size_t separators = CountOf(line, L';') + CountOf(line, L'\t');
        return line.Size() == 1 ? separators > 0 : separators >= kFields - 1;
    }
    bool TouchesOtherSeparators(int record) const {
        for (int i = First(record); i <= Last(record); ++i) {
            if (SeparatedOtherwise(LineAt(i))) return true;
        }
        return false;
    }

    void WarnOtherSeparators() {
        std::vector<int> found;  // their line numbers
        bool semicolons = false, tabs = false, decimalCommas = false;
        for (const FieldLine& line : lines_) {
            if (!SeparatedOtherwise(line)) continue;
            found.push_back(LineNumber(line));
            semicolons = semicolons || CountOf(line, L';') > 0;
            tabs = tabs || CountOf(line, L'\t') > 0;
            decimalCommas = decimalCommas || line.Size() > 1;
        }
        if (found.empty()) return;
        table_.separatedOtherwise = true;
        const int count = static_cast<int>(found.size()), firstLine = found.front();
        const std::wstring what = semicolons && tabs ? L"semicolons or tabs"
                                  : semicolons       ? L"semicolons"
                                                     : L"tabs";
        std::wstring text = count == 1 ? L"line " + Number(firstLine) + L" holds " + what
                                       : Number(count) + L" lines hold " + what +
                                             L" (the first is line " + Number(firstLine) + L")";
        text += decimalCommas ? L" between the fields and commas in the numbers (122,80), as a "
                                L"spreadsheet saves a table where numbers are written with a "
                                L"decimal comma"
                              : L" between the fields and no commas";
        text +=
            L", but Brenvale separates fields only by commas, so the records after such a line "
            L"hold the wrong fields";
        std::vector<Consequence> stated;
        if (table_.count == 0) {
            text += L", and no record is complete";
            stated = Chosen(table_, 1);
            stated.push_back(StartWith(table_, 1, codec_));
        }
        Warn(table_, 0, 0, text, stated,
             decimalCommas ? L"save the table with commas between the fields and points in the "
                             L"numbers (122.80)"
                           : L"save the table with commas between the fields",
             1);
    }

    // Checks the record and returns the next one to check: past the records a fault
    // that starts here shifts.
    int CheckRecordFrom(int record) {
        if (TouchesOtherSeparators(record) || !StartsInStep(record)) {
            Misplace(record, record);
        } else if (!Complete(record)) {
            // cut short where the table stops; said there
        } else if (!EndsInStep(record)) {
            return WarnShift(record);
        } else if (!OnOneLine(record)) {
            Warn(table_, record, fields_[First(record)].line,
                 L"its six fields are spread over " +
                     LinesText(fields_[First(record)].line, fields_[Last(record)].line) +
                     L"; fields are counted, not lines, so an empty line or a missing field "
                     L"shifts every record after it");
        } else if (record < records_ && !fields_[Last(record)].form.endsLine &&
                   (!Complete(record + 1) || EndsInStep(record + 1))) {
            const FieldLine& line = LineAt(First(record));
            // A frequency after the sixth field is the next record's start, not a value's part.
            if (line.ended && line.Size() % kFields != 0 &&
                !IsDisplayForm(Value(First(record) + kFields))) {
                return WarnExtraAtTheEnd(record, line);
            }
            Warn(table_, record, fields_[First(record)].line,
                 L"line " + Number(fields_[First(record)].line) +
                     L" goes on after the record's sixth field (an extra field, or a comma at "
                     L"the end of the line), so the next record starts there");
        }
        return record + 1;
    }

    // A line of more than six fields that are not empty at its end splits a value, so the
    // record it starts holds the wrong fields too.
    void MisplaceWhereAValueIsSplit(const FieldLine& line) {
        if (line.Size() > kFields && line.first % kFields == 0 &&
            !OnlyEmptyIn(line.first + kFields, line.last)) {
            Misplace(line.first / kFields + 1, line.first / kFields + 1);
        }
    }

    // The last line holds more than six fields and the next record is what the end of the
    // file leaves of it: one fault, said once.
    int WarnExtraAtTheEnd(int record, const FieldLine& line) {
        const auto fault = ExtraFields(line);
        std::wstring what = fault.first + L", so the next record starts there";
        std::vector<Consequence> stated;
        if (record + 1 > table_.count) {
            what += L" and the end of the file cuts it short";
            stated.push_back(Consequence::Dropped);
        }
        Misplace(record + 1, record + 1);
        MisplaceWhereAValueIsSplit(line);
        Warn(table_, record, LineNumber(line), what, stated, fault.second, record + 1);
        return record + 2;
    }

    bool EmptyLine(const FieldLine& line) const {
        return line.Size() == 1 && Value(line.first).empty();
    }

    // The comma's candidates in a line of more than six fields: the positions p (1 to 5)
    // whose value, holding the extra commas, would leave the fields the table's other
    // records all share (the server, the login name) where they are. A line that keeps
    // neither where it should may have its comma anywhere.
    std::vector<int> CommaCandidates(const FieldLine& line) {
        const int extra = line.Size() - kFields;
        std::vector<int> candidates;
        for (int p = 1; p < kFields; ++p) {
            bool fits = true;
            for (int q = 1; q <= 2 && fits; ++q) {
                const std::wstring* shared = SharedValue(q);
                if (shared == nullptr) continue;
                fits = q < p ? Value(line.first + q) == *shared
                             : q > p && Value(line.first + q + extra) == *shared;
            }
            if (fits) candidates.push_back(p);
        }
        if (candidates.empty()) candidates = {1, 2, 3, 4, 5};
        return candidates;
    }

    // The value field `position` has in every record that is a line of six fields, if
    // they agree and there is one. Found once: each line of too many fields asks for it.
    const std::wstring* SharedValue(int position) {
        if (!sharedKnown_[position]) {
            sharedKnown_[position] = true;
            for (int record = 1; record <= table_.count; ++record) {
                const FieldLine& line = LineAt(First(record));
                if (line.first != First(record) || line.Size() != kFields) continue;
                const std::wstring& value = Value(First(record) + position);
                if (shared_[position] != nullptr && *shared_[position] != value) {
                    shared_[position] = nullptr;
                    break;
                }
                shared_[position] = &value;
            }
        }
        return shared_[position];
    }

    std::wstring Joined(const FieldLine& line, int from, int count) const {
        std::wstring value = Value(line.first + from);
        for (int i = 1; i < count; ++i) value += L"," + Value(line.first + from + i);
        return value;
    }

    // Whether the fields that would make candidate `shown`'s value are never a password's
    // under any candidate (the password is field 3, after `extra` more where the comma
    // lies before it).
    static bool ShowsNoPassword(const std::vector<int>& candidates, int shown, int extra) {
        for (int candidate : candidates) {
            const int first = candidate < 3 ? 3 + extra : 3;
            const int last = candidate <= 3 ? 3 + extra : 3;
            if (first <= shown + extra && shown <= last) return false;
        }
        return true;
    }

    // A frequency written with a decimal comma: 122,80 read as the fields 122 and 80.
    bool DecimalComma(const FieldLine& line) const {
        if (line.Size() <= kFields) return false;
        std::wstring frequency = Joined(line, 0, 2);
        if (frequency.size() != 6 || frequency[3] != L',') return false;
        return IsDisplayForm(frequency.replace(3, 1, L"."));
    }

    // What is wrong with a line of more than six fields, and the fix.
    std::pair<std::wstring, std::wstring> ExtraFields(const FieldLine& line) {
        const std::wstring number = Number(LineNumber(line)), size = Number(line.Size());
        const int extra = line.Size() - kFields;
        if (OnlyEmptyIn(line.first + kFields, line.last)) {
            return {L"line " + number + L" has " + size + L" fields, more than a record's 6: " +
                        (extra == 1 ? L"a comma at the end of the line makes an empty field"
                                    : L"commas at the end of the line make empty fields"),
                    extra == 1 ? L"remove the comma at the end of the line"
                               : L"remove the commas at the end of the line"};
        }
        if (extra == 1 && DecimalComma(line)) {
            return {L"line " + number +
                        L" has 7 fields: the frequency is written with a decimal "
                        L"comma, " +
                        Joined(line, 0, 2) + L", which Brenvale reads as two fields",
                    L"write the frequency with a point, " + Joined(line, 0, 2).replace(3, 1, L".")};
        }
        const std::vector<int> candidates = CommaCandidates(line);
        std::wstring names;
        for (size_t i = 0; i < candidates.size(); ++i) {
            names += (i == 0                       ? L""
                      : i + 1 == candidates.size() ? L" or the "
                                                   : L", the ") +
                     std::wstring(kFieldNames[candidates[i]]);
        }
        std::wstring what = L"line " + number + L" has " + size +
                            L" fields, more than a record's 6: a value holds " +
                            (extra == 1 ? L"a comma" : L"commas") +
                            L" that is not inside double quotes (the " + names +
                            L"), and Brenvale splits the value there";
        // A password is never shown: the fix names the field. Another value is shown as it
        // would be written, when no candidate makes any of its text the password's.
        std::wstring fix = L"put the value with the comma inside double quotes";
        if (candidates.size() == 1 && candidates.front() == 3) {
            fix = L"put the password inside double quotes";
        } else if (!candidates.empty() && ShowsNoPassword(candidates, candidates.back(), extra)) {
            const int last = candidates.back();
            fix += L", for example \"" + Joined(line, last, extra + 1) + L"\" if it is the " +
                   kFieldNames[last];
        }
        return {what, fix};
    }

    // What is wrong with a line that does not hold six fields, and the fix.
    std::pair<std::wstring, std::wstring> LineFault(const FieldLine& line) {
        const std::wstring number = Number(LineNumber(line)), size = Number(line.Size());
        if (EmptyLine(line)) {
            return {L"line " + number + L" is empty, and an empty line is one empty field",
                    L"remove the empty line"};
        }
        const int missing = kFields - line.Size();
        if (missing > 0) {
            return {L"line " + number + L" has " + size + L" of the 6 fields",
                    (missing == 1 ? L"add the missing field" : L"add the missing fields") +
                        std::wstring(L" (two commas in a row make an empty one)")};
        }
        return ExtraFields(line);
    }

    bool OnlyEmptyIn(int first, int last) const {
        for (int field = first; field <= last; ++field) {
            if (!Value(field).empty()) return false;
        }
        return true;
    }

    bool OnlyEmptyFrom(int field) const {
        for (; field < FieldCount(); ++field) {
            if (!Value(field).empty()) return false;
        }
        return true;
    }

    // The record starts in step but the next one does not: the line it starts on holds a
    // field too few or too many, and the records after it are shifted until one starts a
    // line again. Further faulty lines among them are named too; empty lines at the end
    // of the file are not, as they do no harm once the fault is mended.
    int WarnShift(int record) {
        int last = record;
        while (last < records_ && !StartsInStep(last + 1) && !TouchesOtherSeparators(last + 1)) {
            ++last;
        }
        Misplace(record, last);
        const int lastLoaded = std::min(last, table_.count);
        std::wstring shifted =
            lastLoaded == record
                ? L"record " + Number(record) + L" is shifted and holds the wrong fields"
                : L"records " + Number(record) + L" to " + Number(lastLoaded) +
                      L" are shifted and hold the wrong fields";
        std::vector<Consequence> stated;
        if (last > table_.count) {
            shifted += L", and the end of the file cuts record " + Number(last) + L" short";
            stated.push_back(Consequence::Dropped);
        }
        const FieldLine& cause = LineAt(First(record));
        const auto fault = LineFault(cause);
        MisplaceWhereAValueIsSplit(cause);
        Warn(table_, cause.first / kFields + 1, LineNumber(cause),
             fault.first + L"; fields are counted, not lines, so " + shifted, stated, fault.second,
             last);
        for (int l = lineOf_[cause.first] + 1; l < static_cast<int>(lines_.size()); ++l) {
            const FieldLine& line = lines_[l];
            if (line.first > Last(last) || (EmptyLine(line) && OnlyEmptyFrom(line.first))) break;
            if (line.ended && line.Size() != kFields) {
                const auto also = LineFault(line);
                Warn(table_, line.first / kFields + 1, LineNumber(line), also.first, {},
                     also.second);
            }
        }
        return last + 1;
    }

    // Only the file's last field can lack its closing quote: it runs to the end.
    void WarnQuoteNeverClosed() {
        if (fields_.empty() || !fields_.back().form.quoted || fields_.back().form.closed) return;
        const int field = FieldCount() - 1, record = field / kFields + 1;
        // The field's name is its place in the record, which a shift makes wrong.
        const std::wstring name = table_.misplaced[record]
                                      ? std::wstring(L"a field")
                                      : L"the " + std::wstring(kFieldNames[field % kFields]);
        const int line = fields_.back().line;
        const ValueLines value = LinesOf(Value(field));
        std::wstring text = L"the double quote that opens " + name + L" on line " + Number(line) +
                            L" is never closed, so the field runs to the end of the file (" +
                            LinesText(line, line + value.lastFilled) + L")";
        if (value.filledAfterFirst > 0) {
            const int swallowed = value.filledAfterFirst;
            text += swallowed == 1 ? L" and swallows what would be record " + Number(record + 1)
                                   : L" and swallows what would be records " + Number(record + 1) +
                                         L" to " + Number(record + swallowed);
        }
        std::vector<Consequence> stated;
        if (record > table_.count) {
            text += L", and the end of the file cuts this record short";
            stated.push_back(Consequence::Dropped);
        } else if (field % kFields > 0) {
            text += L"; all of it is the " + std::wstring(kFieldNames[field % kFields]);
            stated.push_back(StartWith(table_, record, codec_));
        }
        Warn(table_, record, line, text, stated, L"close the quote where the value ends");
        Misplace(record, record);
    }

    // What follows a closing quote is dropped; a doubled quote is how spreadsheets write a
    // quote inside a value, which the table cannot hold.
    void WarnTextAfterQuote(int field) {
        const FieldForm& form = fields_[field].form;
        const int record = field / kFields + 1;
        if (!form.dropsText || table_.misplaced[record]) return;
        const std::wstring name = kFieldNames[field % kFields];
        const bool doubled = form.dropped[0] == L'"';
        std::wstring text = L"the " + name;
        if (name != L"password") {
            std::wstring written =
                L"\"" + Value(field) + L"\"" + DecodeUnits(form.dropped, table_.encoding, codec_);
            if (form.dropped.size() >= FieldForm::kDroppedKept) written += L"...";
            text += L", written " + written + L",";
        }
        text += doubled ? L" holds a doubled double quote, as spreadsheets write one inside a "
                          L"value, but a value cannot hold a double quote: Brenvale keeps the "
                          L"part before it"
                        : L" has text after its closing double quote: Brenvale keeps the part "
                          L"inside the quotes";
        if (name != L"password") text += L", \"" + Value(field) + L"\",";
        text += L" and drops the rest of the field";
        Warn(table_, record, fields_[field].line, text, {},
             doubled ? WithoutDoubleQuote(field % kFields)
                     : L"put the whole value inside the quotes");
    }

    Table& table_;
    const std::vector<FieldSeen>& fields_;
    TextCodec& codec_;
    std::vector<FieldLine> lines_;
    std::vector<int> lineOf_;
    int records_ = 0;  // those loaded, and the one cut short when anything is in it
    // The server and the login name all lines of six fields share, once asked for.
    std::array<bool, 3> sharedKnown_{};
    std::array<const std::wstring*, 3> shared_{};
};

}  // namespace

void CheckLayout(Table& table, const std::vector<FieldSeen>& fields, TextCodec& codec) {
    Layout(table, fields, codec).Check();
}

}  // namespace checker

// Loading the table through the program's own record loop, decoding and record rules,
// and the warnings that only the reading itself can see: the record limit and what lies
// beyond it, where the table stops and why, bytes that are not UTF-8 in a marked file,
// and the layout of lines and quotes (TableLayout).

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <vector>

#include "app/TeamSpeakCommand.h"
#include "platform/PlatformFailure.h"
#include "tools/checker/TableLayout.h"

namespace checker {

const wchar_t* const kFieldNames[kFieldsPerRecord] = {L"frequency", L"server",  L"login name",
                                                      L"password",  L"channel", L"sub-channel"};

const std::wstring kCannotPass = L"Windows on this computer cannot pass to TeamSpeak";

namespace {

// What lies past the 200th record, once the table reaches it, counted without being kept.
struct Beyond {
    int line = 0;
    int fields = 0;
    bool allEmpty = true;
    uint64_t bytesAtLimit = 0, bytesInAll = 0;
    std::wstring failure;  // the file could not be read to its end
    // Blank lines after the last record lose nothing.
    bool Matters() const { return !(allEmpty && fields < kFieldsPerRecord); }
};

class RecordLoopWatch : public TableReadObserver {
  public:
    void RecordStarts(int record, int line) override { firstLines[record - 1] = line; }
    void FieldRead(int, const Units&, int line, const FieldReader& reader) override {
        fields.push_back({line, reader.LastForm()});
    }
    // The program reads no further; the checker skips on to the end, holding nothing.
    void CapacityReached(FieldReader& reader) override {
        beyond.line = reader.Line();
        beyond.bytesAtLimit = reader.BytesTaken();
        try {
            while (reader.SkipField()) {
                if (beyond.fields < std::numeric_limits<int>::max()) ++beyond.fields;
                beyond.allEmpty = beyond.allEmpty && reader.LastFieldEmpty();
            }
        } catch (const PlatformFailure& failure) {
            beyond.failure = failure.Description();
        }
        beyond.bytesInAll = reader.BytesTaken();
    }

    std::array<int, kChannelCapacity> firstLines{};
    std::vector<FieldSeen> fields;
    Beyond beyond;
};

std::wstring Number(uint64_t value) {
    return std::to_wstring(value);
}

void WarnRecordsPastTheLimit(Table& table, const Beyond& beyond) {
    if (!beyond.Matters()) return;
    const int records = beyond.fields / kFieldsPerRecord + (beyond.fields % kFieldsPerRecord != 0);
    std::wstring text = L"Brenvale keeps the first " + Number(kChannelCapacity) +
                        L" records and ignores the rest of the file (" + Number(records) +
                        (records == 1 ? L" more record)" : L" more records)");
    const uint64_t unread = beyond.bytesInAll - beyond.bytesAtLimit;
    if (unread > beyond.bytesAtLimit) {
        text += L"; most of the file is never read: " + Number(unread) + L" of its " +
                Number(beyond.bytesInAll) + L" bytes";
    }
    if (!beyond.failure.empty()) text += L"; the rest could not be read: " + beyond.failure;
    Warn(table, kChannelCapacity + 1, beyond.line, text);
}

// Why the program stopped reading at the record after the last one it keeps.
std::wstring StopReason(const TableExtent& extent) {
    const std::wstring field = L"field " + Number(extent.fieldsAfter + 1);
    switch (extent.end) {
        case TableEnd::ReadFailed:
            return L"the file cannot be read on at " + field + L" (" + extent.failure + L")";
        case TableEnd::OutOfMemory:
            return L"there is not enough memory to read " + field;
        case TableEnd::FieldTooLong:
            return field + L" runs on past " + Number(kLongestField) +
                   L" characters, more than a TeamSpeak command line can carry (a double "
                   L"quote never closed?)";
        default:
            return std::wstring();
    }
}

// A record the end of the file cuts short is said here unless a fault in the layout
// before it (a shift, a quote never closed) already says why.
void WarnWhereTheTableStops(Table& table, const TableExtent& extent) {
    const int record = extent.records + 1;
    const std::wstring reason = StopReason(extent);
    if (!reason.empty()) {
        Warn(table, record, table.lines[record],
             reason + L", so Brenvale stops reading the table there", {Consequence::Dropped});
    } else if (table.cutShortFieldsKept && !table.misplaced[record]) {
        Warn(table, record, table.lines[record],
             L"the file ends after " + Number(extent.fieldsAfter) + L" of the record's six fields",
             {Consequence::Dropped},
             extent.fieldsAfter == kFieldsPerRecord - 1 ? L"add the missing field"
                                                        : L"add the missing fields");
    }
}

// Fields of a marked UTF-8 file holding bytes that are not UTF-8, by index; the program
// reads each such sequence as U+FFFD.
std::vector<int> FieldsNotUtf8(Table& table, const TableExtent& read, TextCodec& decoder) {
    std::vector<int> found;
    if (!table.marked || table.encoding != TextEncoding::Utf8) return found;
    for (int i = 0; i < read.Fields(); ++i) {
        const Units& field = FieldAt(table.columns, i);
        try {
            decoder.FromUtf8(std::string(field.begin(), field.end()));
        } catch (const PlatformFailure&) {
            found.push_back(i);
        }
    }
    return found;
}

// One warning for the bytes and what follows from them: the replacement character is
// not checked again with the record's other characters. The frequency is not on
// TeamSpeak's command line, so only the other fields can keep TeamSpeak from starting.
void WarnNotUtf8(Table& table, TextCodec& codec) {
    std::string bytes;
    const bool carried = codec.ToSystemCodePage(L"\uFFFD", bytes);
    for (int i : table.notUtf8) {
        const int record = i / kFieldsPerRecord + 1, position = i % kFieldsPerRecord;
        if (record > table.count) break;
        const std::wstring name = kFieldNames[position];
        std::wstring text = L"the " + name + L" holds bytes that are not UTF-8";
        if (name != L"password") text += L" (read as \"" + FieldAt(table.columns, i) + L"\")";
        text += L"; Brenvale reads each such sequence as the replacement character U+FFFD";
        std::vector<Consequence> stated;
        if (position > 0) {
            if (!carried) text += L", which " + kCannotPass;
            stated.push_back(StartWith(table, record, codec));
        }
        Warn(table, record, table.lines[record], text, stated,
             L"retype the " + name + L" and save the file as UTF-8");
    }
}

// Said once, by the layout's warning, when other separators are why no record is complete.
void WarnEmptyTable(Table& table, TextCodec& codec) {
    if (table.count > 0 || table.separatedOtherwise) return;
    std::vector<Consequence> stated = Chosen(table, 1);
    stated.push_back(StartWith(table, 1, codec));
    Warn(table, 0, 0,
         table.cutShortFieldsKept
             ? L"the table holds no complete record, so record 1, the default channel, holds "
               L"the fields of the record cut short"
             : L"the table holds no records, so record 1, the default channel, is empty (no "
               L"server, only the nickname)",
         stated, {}, 1);
}

// Whether the slot after the complete records holds a field with something in it.
bool CutShortFieldsKept(Table& table, const TableExtent& extent) {
    for (int i = 0; i < extent.fieldsAfter; ++i) {
        if (!FieldAt(table.columns, extent.records * kFieldsPerRecord + i).empty()) return true;
    }
    return false;
}

}  // namespace

Table LoadTable(FileReader& file, TextCodec& codec, const std::wstring& codePage) {
    Table table;
    table.codePage = codePage;
    RecordLoopWatch watch;
    const TableRead read = ReadTableFields(file, table.columns, &watch);
    table.encoding = ChooseEncoding(read, table.columns, codec);
    table.marked = read.hasMark;
    table.notUtf8 = FieldsNotUtf8(table, read.extent, codec);
    DecodeFields(table.columns, read.extent, table.encoding, codec);
    const TableExtent& extent = read.extent;
    table.count = extent.records;
    for (int record = 1; record <= std::min(table.count + 1, kChannelCapacity); ++record) {
        table.lines[record] = watch.firstLines[record - 1];
    }
    table.cutShortFieldsKept = CutShortFieldsKept(table, extent);
    CheckLayout(table, watch.fields, codec);
    if (extent.end == TableEnd::Capacity) WarnRecordsPastTheLimit(table, watch.beyond);
    WarnWhereTheTableStops(table, extent);
    WarnNotUtf8(table, codec);
    WarnEmptyTable(table, codec);
    return table;
}

Table CheckTable(FileReader& file, TextCodec& codec, const std::wstring& codePage) {
    Table table = LoadTable(file, codec, codePage);
    CheckRecords(table, codec);
    std::stable_sort(table.warnings.begin(), table.warnings.end(),
                     [](const Warning& a, const Warning& b) { return a.record < b.record; });
    return table;
}

std::wstring EncodingName(const Table& table) {
    const wchar_t* mark = table.marked ? L" with a byte order mark" : L" without a byte order mark";
    switch (table.encoding) {
        case TextEncoding::Utf8:
            return L"UTF-8" + std::wstring(mark);
        case TextEncoding::Utf16Le:
            return L"UTF-16 LE" + std::wstring(mark);
        case TextEncoding::Utf16Be:
            return L"UTF-16 BE" + std::wstring(mark);
        default:
            return L"ANSI text in " + table.codePage;
    }
}

Choice ChooseRecord(const Table& table, const std::wstring& frequency) {
    const int record = ChooseChannelRecord(table.columns, table.count, frequency);
    return {record, record <= table.count && table.columns.Frequency[record] == frequency};
}

}  // namespace checker

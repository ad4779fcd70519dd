// Loading the table with the program's reader, decoding and record rules, and the
// warnings that only the reading itself can see: the record limit and the size of what
// lies beyond it, a record cut short, a field that cannot be decoded, and records that
// do not keep to one line each.

#include <algorithm>
#include <limits>
#include <string>

#include "platform/PlatformFailure.h"
#include "tools/checker/TableCheck.h"

namespace checker {
namespace {

// What reading one record found, besides its fields.
struct RecordRead {
    int fieldsRead = 0;
    bool complete = false;
    bool allEmpty = true;
    int firstLine = 0;  // where its first field starts
    int lastLine = 0;   // where its last field read starts
    int lineAfter = 0;  // where the reader stands after its sixth field
};

// Reads one record's fields into its slot, undecoded, as the program does.
RecordRead ReadRecord(FieldReader& reader, ChannelColumns& columns, int slot) {
    RecordRead read;
    read.firstLine = reader.Line();
    for (int i = 0; i < kFieldsPerRecord; ++i) {
        const int line = reader.Line();
        Units& field = FieldAt(columns, (slot - 1) * kFieldsPerRecord + i);
        if (!reader.NextField(field)) return read;
        read.lastLine = line;
        ++read.fieldsRead;
        if (!field.empty()) read.allEmpty = false;
    }
    read.complete = true;
    read.lineAfter = reader.Line();
    return read;
}

void Warn(Table& table, int record, int line, std::wstring text) {
    table.warnings.push_back({record, line, std::move(text)});
}

std::wstring Number(uint64_t value) {
    return std::to_wstring(value);
}

// Blank lines (or a comma) at the end of the file start a record that the end cuts
// short; nothing the pilot wrote is lost by that, so it needs no warning.
bool OnlyEmptyFieldsLeft(const RecordRead& next) {
    return !next.complete && next.allEmpty;
}

// Fields are counted, not lines: a record that leaves its line shifts every record
// after it, which is how an empty line or a missing comma shows up. A line that goes
// on after the sixth field is told apart from trailing empty fields only once the next
// record is read, so that warning is returned for the caller to keep or drop.
Warning CheckLayout(Table& table, const RecordRead& read, FieldReader& reader) {
    const int record = table.count;
    const bool spread = read.firstLine != read.lastLine || read.lineAfter > read.lastLine + 1;
    if (spread) {
        Warn(table, record, read.firstLine,
             L"its six fields are spread over lines " + Number(read.firstLine) + L" to " +
                 Number(std::max(read.lastLine, read.lineAfter - 1)) +
                 L"; fields are counted, not lines, so an empty line or a missing field "
                 L"shifts every record after it");
        return {};
    }
    if (read.lineAfter != read.lastLine || reader.AtEnd()) return {};
    return {record, read.firstLine,
            L"line " + Number(read.lastLine) +
                L" goes on after the record's sixth field (an extra field, or a comma at "
                L"the end of the line), so the next record starts there"};
}

// Reads on past the 200th record, keeping nothing, to say how much is ignored. False
// when only empty fields follow.
bool WarnRecordsPastTheLimit(Table& table, TableSource& source, FieldReader& reader) {
    const uint64_t loadedBytes = source.Consumed();
    const int line = reader.Line();
    int fields = 0;
    bool allEmpty = true;
    Units field;
    while (reader.NextField(field)) {
        if (fields < std::numeric_limits<int>::max()) ++fields;
        if (!field.empty()) allEmpty = false;
    }
    if (allEmpty && fields < kFieldsPerRecord) return false;
    const int records = fields / kFieldsPerRecord + (fields % kFieldsPerRecord != 0);
    std::wstring text = L"Brenvale keeps the first " + Number(kChannelCapacity) +
                        L" records and ignores the rest of the file (" + Number(records) +
                        (records == 1 ? L" more record)" : L" more records)");
    const uint64_t totalBytes = source.Consumed();
    if (totalBytes - loadedBytes > loadedBytes) {
        text += L"; most of the file is never read: " + Number(totalBytes - loadedBytes) +
                L" of its " + Number(totalBytes) + L" bytes";
    }
    Warn(table, kChannelCapacity + 1, line, text);
    return true;
}

void WarnCutShort(Table& table, const RecordRead& read) {
    if (read.allEmpty) return;
    const int record = table.count + 1;
    Warn(table, record, table.lines[record],
         L"the file ends after " + Number(read.fieldsRead) +
             L" of the record's six fields, so Brenvale drops it");
}

// The program stops at a field it cannot decode as if the file ended there: what was
// said about the records after it no longer applies.
void WarnUndecodable(Table& table, const TableExtent& stored) {
    const int record = stored.records + 1;
    table.count = stored.records;
    table.warnings.erase(std::remove_if(table.warnings.begin(), table.warnings.end(),
                                        [&](const Warning& w) { return w.record >= record; }),
                         table.warnings.end());
    Warn(table, record, table.lines[record],
         L"field " + Number(stored.fieldsAfter + 1) + L" cannot be read as " + EncodingName(table) +
             L"; Brenvale stops reading the table there and drops this record");
}

void WarnEmptyTable(Table& table) {
    if (table.count > 0) return;
    Warn(table, 0, 0,
         table.cutShortFieldsKept
             ? L"the table holds no complete record: whatever the frequency, TeamSpeak is "
               L"started with the fields of the record cut short"
             : L"the table holds no records: whatever the frequency, TeamSpeak is started "
               L"with the nickname alone");
}

// Whether the slot after the complete records holds a field with something in it.
bool CutShortFieldsKept(Table& table, const TableExtent& extent) {
    for (int i = 0; i < extent.fieldsAfter; ++i) {
        if (!FieldAt(table.columns, extent.records * kFieldsPerRecord + i).empty()) return true;
    }
    return false;
}

}  // namespace

Table LoadTable(FileReader& file, TextDecoder& decoder) {
    Table table;
    TableSource source(file);
    FieldReader reader(source);
    TableExtent read;
    Warning lineGoesOn;  // pending until the next record shows what follows
    RecordRead cut;
    while (!reader.AtEnd()) {
        if (table.count == kChannelCapacity) {
            if (WarnRecordsPastTheLimit(table, source, reader) && lineGoesOn.record) {
                table.warnings.push_back(lineGoesOn);
            }
            lineGoesOn = {};
            break;
        }
        const int slot = table.count + 1;
        table.lines[slot] = reader.Line();
        const RecordRead record = ReadRecord(reader, table.columns, slot);
        if (lineGoesOn.record && !OnlyEmptyFieldsLeft(record)) {
            table.warnings.push_back(lineGoesOn);
        }
        lineGoesOn = {};
        if (!record.complete) {
            cut = record;
            read.fieldsAfter = record.fieldsRead;
            break;
        }
        table.count = read.records = slot;
        lineGoesOn = CheckLayout(table, record, reader);
    }
    table.encoding = ChooseEncoding(source, table.columns, read, decoder);
    table.marked = source.HasMark();
    const TableExtent decoded = DecodeFields(table.columns, read, table.encoding, decoder);
    table.cutShortFieldsKept = CutShortFieldsKept(table, decoded);
    if (decoded.conversionFailed) {
        WarnUndecodable(table, decoded);
    } else {
        WarnCutShort(table, cut);
    }
    WarnEmptyTable(table);
    return table;
}

Table CheckTable(FileReader& file, TextDecoder& decoder) {
    Table table = LoadTable(file, decoder);
    CheckRecords(table);
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
            return L"ANSI text in the system's code page";
    }
}

Choice ChooseRecord(const Table& table, const std::wstring& frequency) {
    const int count = std::min(table.count, kChannelCapacity);
    for (int record = 1; record <= count; ++record) {
        if (table.columns.Frequency[record] == frequency) return {record, true};
    }
    return {1, false};
}

}  // namespace checker

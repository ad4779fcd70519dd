// Loading the table with the program's record loop, and the warnings that only the
// reading itself can see: the record limit, a record cut short, records that do not
// keep to one line each, and a byte order mark.

#include <algorithm>
#include <limits>
#include <string>

#include "platform/PlatformFailure.h"
#include "tools/checker/TableCheck.h"

namespace checker {
namespace {

constexpr int kFieldsPerRecord = 6;

constexpr ChannelColumns::Column ChannelColumns::*kFileOrder[kFieldsPerRecord] = {
    &ChannelColumns::Frequency, &ChannelColumns::Server,  &ChannelColumns::LoginName,
    &ChannelColumns::Password,  &ChannelColumns::Channel, &ChannelColumns::SubChannel,
};

// What reading one record found, besides its fields.
struct RecordRead {
    int fieldsRead = 0;
    bool complete = false;
    bool conversionFailed = false;
    bool allEmpty = true;
    int firstLine = 0;  // where its first field starts
    int lastLine = 0;   // where its last field read starts
    int lineAfter = 0;  // where the reader stands after its sixth field
};

// Reads one record into `slot` as the program does: each field stored as soon as it is
// read, so a record cut short leaves the fields it had.
RecordRead ReadRecord(FieldReader& reader, const Decoder& decode, ChannelColumns& columns,
                      int slot) {
    RecordRead read;
    read.firstLine = reader.Line();
    std::string field;
    for (auto column : kFileOrder) {
        const int line = reader.Line();
        if (!reader.NextField(field)) return read;
        read.lastLine = line;
        ++read.fieldsRead;
        if (!field.empty()) read.allEmpty = false;
        try {
            (columns.*column)[slot] = decode(field);
        } catch (const PlatformFailure&) {
            read.conversionFailed = true;
            return read;
        }
    }
    read.complete = true;
    read.lineAfter = reader.Line();
    return read;
}

struct Remainder {
    int fields = 0;
    bool allEmpty = true;
};

// The fields left in the file from where `reader` stands, at most `limit` of them.
Remainder CountFields(FieldReader reader, int limit) {
    Remainder rest;
    std::string field;
    while (rest.fields < limit && reader.NextField(field)) {
        ++rest.fields;
        if (!field.empty()) rest.allEmpty = false;
    }
    return rest;
}

// Blank lines (or a comma) at the end of the file start a record that the end cuts short;
// nothing the pilot wrote is lost by that, so it needs no warning.
bool OnlyEmptyFieldsLeft(const FieldReader& reader) {
    const Remainder next = CountFields(reader, kFieldsPerRecord);
    return next.fields < kFieldsPerRecord && next.allEmpty;
}

void Warn(Table& table, int record, int line, std::wstring text) {
    table.warnings.push_back({record, line, std::move(text)});
}

std::wstring Number(int value) {
    return std::to_wstring(value);
}

// Fields are counted, not lines: a record that leaves its line shifts every record
// after it, which is how an empty line or a missing comma shows up.
void CheckLayout(Table& table, const RecordRead& read, const FieldReader& reader) {
    const int record = table.count;
    const bool spread = read.firstLine != read.lastLine || read.lineAfter > read.lastLine + 1;
    if (spread) {
        Warn(table, record, read.firstLine,
             L"its six fields are spread over lines " + Number(read.firstLine) + L" to " +
                 Number(std::max(read.lastLine, read.lineAfter - 1)) +
                 L"; fields are counted, not lines, so an empty line or a missing field "
                 L"shifts every record after it");
        return;
    }
    const bool lineGoesOn = read.lineAfter == read.lastLine && !reader.AtEnd();
    if (lineGoesOn && !OnlyEmptyFieldsLeft(reader)) {
        Warn(table, record, read.firstLine,
             L"line " + Number(read.lastLine) +
                 L" goes on after the record's sixth field (an extra field, or a comma at "
                 L"the end of the line), so the next record starts there");
    }
}

void WarnRecordsPastTheLimit(Table& table, const FieldReader& reader) {
    const Remainder rest = CountFields(reader, std::numeric_limits<int>::max());
    if (rest.allEmpty && rest.fields < kFieldsPerRecord) return;
    const int records = (rest.fields + kFieldsPerRecord - 1) / kFieldsPerRecord;
    Warn(table, kChannelCapacity + 1, reader.Line(),
         L"Brenvale keeps the first " + Number(kChannelCapacity) +
             L" records and ignores the rest of the file (" + Number(records) +
             (records == 1 ? L" more record)" : L" more records)"));
}

void WarnCutShort(Table& table, const RecordRead& read) {
    const int record = table.count + 1;
    const int line = table.lines[record];
    if (read.conversionFailed) {
        Warn(table, record, line,
             L"field " + Number(read.fieldsRead) +
                 L" cannot be turned into text in the system's code page; Brenvale stops "
                 L"reading the table there and drops this record");
        return;
    }
    if (read.allEmpty) return;
    Warn(table, record, line,
         L"the file ends after " + Number(read.fieldsRead) +
             L" of the record's six fields, so Brenvale drops it");
}

void WarnByteOrderMark(Table& table, std::string_view bytes) {
    if (bytes.substr(0, 3) != "\xEF\xBB\xBF") return;
    Warn(table, table.count > 0 ? 1 : 0, 1,
         L"the file starts with a UTF-8 byte order mark, which Brenvale reads as part of "
         L"the first frequency; save the file as ANSI text");
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

}  // namespace

Table LoadTable(std::string_view bytes, const Decoder& decode) {
    Table table;
    FieldReader reader(bytes);
    while (!reader.AtEnd()) {
        if (table.count == kChannelCapacity) {
            WarnRecordsPastTheLimit(table, reader);
            break;
        }
        const int slot = table.count + 1;
        table.lines[slot] = reader.Line();
        const RecordRead read = ReadRecord(reader, decode, table.columns, slot);
        if (!read.complete) {
            const int fieldsStored = read.fieldsRead - (read.conversionFailed ? 1 : 0);
            table.cutShortFieldsKept = fieldsStored > 0 && !read.allEmpty;
            WarnCutShort(table, read);
            break;
        }
        table.count = slot;
        CheckLayout(table, read, reader);
    }
    WarnByteOrderMark(table, bytes);
    WarnEmptyTable(table);
    return table;
}

Table CheckTable(std::string_view bytes, const Decoder& decode) {
    Table table = LoadTable(bytes, decode);
    CheckRecords(table);
    std::stable_sort(table.warnings.begin(), table.warnings.end(),
                     [](const Warning& a, const Warning& b) { return a.record < b.record; });
    return table;
}

Choice ChooseRecord(const Table& table, const std::wstring& frequency) {
    const int count = std::min(table.count, kChannelCapacity);
    for (int record = 1; record <= count; ++record) {
        if (table.columns.Frequency[record] == frequency) return {record, true};
    }
    return {1, false};
}

}  // namespace checker

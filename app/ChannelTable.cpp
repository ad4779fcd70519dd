// The table's fields: read raw into their slots, the encoding judged, then decoded.

#include "app/ChannelTable.h"

#include <new>
#include <string>

#include "platform/PlatformFailure.h"

namespace {

// The six fields of a record, in file order.
constexpr ChannelColumns::Column ChannelColumns::*kFileOrder[kFieldsPerRecord] = {
    &ChannelColumns::Frequency, &ChannelColumns::Server,  &ChannelColumns::LoginName,
    &ChannelColumns::Password,  &ChannelColumns::Channel, &ChannelColumns::SubChannel,
};

// The bytes of a field read from an 8-bit file.
std::string Bytes(const Units& field) {
    return std::string(field.begin(), field.end());
}

// A UTF-16 field's text. Where wchar_t holds 16 bits the units are the program's characters
// already; where it holds 32, each surrogate pair becomes the one character it stands for,
// as in text from UTF-8, and a lone surrogate stays as it is: a value that is no character.
std::wstring FromUtf16Units(const Units& units) {
    if constexpr (sizeof(wchar_t) == 2) {
        return units;
    } else {
        std::wstring text;
        text.reserve(units.size());
        for (size_t at = 0; at < units.size(); ++at) {
            const wchar_t unit = units[at];
            const wchar_t next = at + 1 < units.size() ? units[at + 1] : 0;
            if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                text.push_back(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++at;
            } else {
                text.push_back(unit);
            }
        }
        return text;
    }
}

}  // namespace

std::wstring DecodeUnits(const Units& field, TextEncoding encoding, TextCodec& decoder) {
    switch (encoding) {
        case TextEncoding::Ansi:
            return decoder.FromSystemCodePage(Bytes(field));
        case TextEncoding::Utf8:
            return decoder.FromUtf8Replacing(Bytes(field));
        default:
            return FromUtf16Units(field);
    }
}

std::wstring& FieldAt(ChannelColumns& table, int index) {
    return (table.*kFileOrder[index % kFieldsPerRecord])[index / kFieldsPerRecord + 1];
}

namespace {

void ReadRecords(FieldReader& reader, ChannelColumns& table, TableExtent& read,
                 TableReadObserver* observer) {
    while (!reader.AtEnd()) {
        if (read.records == kChannelCapacity) {
            read.end = TableEnd::Capacity;
            if (observer) observer->CapacityReached(reader);
            return;
        }
        if (observer) observer->RecordStarts(read.records + 1, reader.Line());
        for (; read.fieldsAfter < kFieldsPerRecord; ++read.fieldsAfter) {
            const int line = reader.Line();
            Units& field = FieldAt(table, read.Fields());
            if (!reader.NextField(field)) return;
            if (observer) observer->FieldRead(read.Fields(), field, line, reader);
        }
        ++read.records;
        read.fieldsAfter = 0;
    }
}

// A failure while a field is read ends the table there, as the end of the file would.
// The field holds only part of its value, so it is left empty.
void EndAtFailure(ChannelColumns& table, TableExtent& extent, TableEnd end,
                  const std::wstring& failure = std::wstring()) {
    extent.end = end;
    extent.failure = failure;
    if (extent.Fields() < kChannelCapacity * kFieldsPerRecord) {
        FieldAt(table, extent.Fields()).clear();
    }
}

}  // namespace

TableRead ReadTableFields(FileReader& file, ChannelColumns& table, TableReadObserver* observer) {
    TableSource source(file);
    FieldReader reader(source);
    TableRead read;
    TableExtent& extent = read.extent;
    try {
        ReadRecords(reader, table, extent, observer);
    } catch (const PlatformFailure& failure) {
        EndAtFailure(table, extent, TableEnd::ReadFailed, failure.Description());
    } catch (const std::bad_alloc&) {
        EndAtFailure(table, extent, TableEnd::OutOfMemory);
    } catch (const FieldTooLong&) {
        EndAtFailure(table, extent, TableEnd::FieldTooLong);
    }
    read.hasMark = source.HasMark();
    read.marked = source.Marked();
    return read;
}

TextEncoding ChooseEncoding(const TableRead& read, ChannelColumns& table, TextCodec& decoder) {
    if (read.hasMark) return read.marked;
    const int fields = read.extent.Fields();
    bool highBytes = false;
    for (int i = 0; i < fields; ++i) {
        for (wchar_t unit : FieldAt(table, i)) highBytes = highBytes || unit > 0x7F;
    }
    if (!highBytes) return TextEncoding::Ansi;
    try {
        for (int i = 0; i < fields; ++i) decoder.FromUtf8(Bytes(FieldAt(table, i)));
    } catch (const PlatformFailure&) {
        return TextEncoding::Ansi;
    }
    return TextEncoding::Utf8;
}

void DecodeFields(ChannelColumns& table, const TableExtent& read, TextEncoding encoding,
                  TextCodec& decoder) {
    for (int i = 0; i < read.Fields(); ++i) {
        std::wstring& field = FieldAt(table, i);
        field = DecodeUnits(field, encoding, decoder);
    }
}

LoadedTable LoadTableFile(std::unique_ptr<FileReader> file, ChannelColumns& table,
                          TextCodec& decoder) {
    LoadedTable loaded;
    loaded.read = ReadTableFields(*file, table);
    file.reset();  // closed before the fields are decoded
    loaded.encoding = ChooseEncoding(loaded.read, table, decoder);
    DecodeFields(table, loaded.read.extent, loaded.encoding, decoder);
    return loaded;
}

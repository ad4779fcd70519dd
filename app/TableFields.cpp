// The table's fields: read raw into their slots, the encoding judged, then decoded.

#include <string>

#include "app/ChannelTable.h"
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

std::wstring Decode(const Units& field, TextEncoding encoding, TextDecoder& decoder) {
    switch (encoding) {
        case TextEncoding::Ansi:
            return decoder.FromSystemCodePage(Bytes(field));
        case TextEncoding::Utf8:
            return decoder.FromUtf8(Bytes(field));
        default:
            return field;  // UTF-16 units are the program's characters already
    }
}

}  // namespace

std::wstring& FieldAt(ChannelColumns& table, int index) {
    return (table.*kFileOrder[index % kFieldsPerRecord])[index / kFieldsPerRecord + 1];
}

TableExtent ReadTableFields(FieldReader& reader, ChannelColumns& table) {
    TableExtent read;
    while (read.records < kChannelCapacity && !reader.AtEnd()) {
        for (; read.fieldsAfter < kFieldsPerRecord; ++read.fieldsAfter) {
            if (!reader.NextField(FieldAt(table, read.Fields()))) return read;
        }
        ++read.records;
        read.fieldsAfter = 0;
    }
    return read;
}

TextEncoding ChooseEncoding(const TableSource& source, ChannelColumns& table,
                            const TableExtent& read, TextDecoder& decoder) {
    if (source.HasMark()) return source.Marked();
    bool highBytes = false;
    for (int i = 0; i < read.Fields(); ++i) {
        for (wchar_t unit : FieldAt(table, i)) highBytes = highBytes || unit > 0x7F;
    }
    if (!highBytes) return TextEncoding::Ansi;
    try {
        for (int i = 0; i < read.Fields(); ++i) decoder.FromUtf8(Bytes(FieldAt(table, i)));
    } catch (const PlatformFailure&) {
        return TextEncoding::Ansi;
    }
    return TextEncoding::Utf8;
}

TableExtent DecodeFields(ChannelColumns& table, const TableExtent& read, TextEncoding encoding,
                         TextDecoder& decoder) {
    TableExtent decoded;
    for (int i = 0; i < read.Fields(); ++i) {
        std::wstring& field = FieldAt(table, i);
        if (decoded.conversionFailed) {
            field.clear();
            continue;
        }
        try {
            field = Decode(field, encoding, decoder);
            decoded.records = (i + 1) / kFieldsPerRecord;
            decoded.fieldsAfter = (i + 1) % kFieldsPerRecord;
        } catch (const PlatformFailure&) {
            decoded.conversionFailed = true;
            field.clear();
        }
    }
    return decoded;
}


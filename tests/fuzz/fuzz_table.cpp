// Reads arbitrary bytes as a channel table: the encoding's mark, the field reader in
// pieces of any size, the record loop, the choice of encoding and the decoding. It must
// never crash, never keep more than 200 records, read plain ASCII in the system's code
// page, and give the same table however the file is handed out.
//
// Input: byte 0 = the largest piece one read hands out (1 to 256); the rest is the file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/ChannelTable.h"
#include "tests/support/BytesReader.h"
#include "tools/checker/Utf8.h"

namespace {

struct Loaded {
    ChannelColumns table;
    LoadedTable load;
};

void Load(std::string_view bytes, size_t piece, Loaded& loaded) {
    checker::PortableCodec decoder;
    loaded.load = LoadTableFile(std::make_unique<BytesReader>(bytes, piece), loaded.table, decoder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = size_t{data[0]} + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    static Loaded inPieces, whole;  // large: kept off the stack
    inPieces = Loaded();
    whole = Loaded();
    Load(bytes, piece, inPieces);
    Load(bytes, SIZE_MAX, whole);
    const TableExtent& read = inPieces.load.read.extent;
    if (read.records > kChannelCapacity || read.fieldsAfter >= kFieldsPerRecord) std::abort();
    if (read.records == kChannelCapacity && read.fieldsAfter != 0) std::abort();
    // Nothing here can fail but a field too long.
    if (read.end != TableEnd::FileEnd && read.end != TableEnd::Capacity &&
        read.end != TableEnd::FieldTooLong) {
        std::abort();
    }
    for (int i = 0; i < read.Fields(); ++i) {
        if (FieldAt(inPieces.table, i).size() > kLongestField) std::abort();
    }
    const auto ascii = [](char c) { return static_cast<unsigned char>(c) <= 0x7F; };
    if (std::all_of(bytes.begin(), bytes.end(), ascii) &&
        inPieces.load.encoding != TextEncoding::Ansi) {
        std::abort();  // plain ASCII reads in the system's code page, as it always did
    }
    // However the file is handed out, the same table.
    if (read.Fields() != whole.load.read.extent.Fields()) std::abort();
    for (int i = 0; i < kChannelCapacity * kFieldsPerRecord; ++i) {
        if (FieldAt(inPieces.table, i) != FieldAt(whole.table, i)) std::abort();
    }
    return 0;
}

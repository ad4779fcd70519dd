// Reads arbitrary bytes as a channel table: the encoding's mark, the field reader in
// pieces of any size, the record loop, the choice of encoding and the decoding. It must
// never crash, never keep more than 200 records, and read a file of plain ASCII exactly
// as the program read it when it held the whole file in memory (the reference below).
//
// Input: byte 0 = the largest piece one read hands out (1 to 256); the rest is the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/ChannelTable.h"
#include "platform/PlatformFailure.h"
#include "tools/checker/Utf8.h"

namespace {

class Pieces : public FileReader {
  public:
    Pieces(std::string_view bytes, size_t piece) : bytes_(bytes), piece_(piece) {}
    size_t Read(char* buffer, size_t capacity) override {
        return bytes_.Read(buffer, capacity < piece_ ? capacity : piece_);
    }

  private:
    BytesReader bytes_;
    size_t piece_;
};

class Decoder : public TextDecoder {
  public:
    std::wstring FromSystemCodePage(const std::string& bytes) override {
        return std::wstring(bytes.begin(), bytes.end());
    }
    std::wstring FromUtf8(const std::string& bytes) override {
        std::wstring text;
        if (!checker::DecodeUtf8(bytes, text)) throw PlatformFailure(1113, L"not UTF-8");
        return text;
    }
};

// The earlier reader over the whole file in memory, kept as the reference for ASCII.
class WholeFileReader {
  public:
    explicit WholeFileReader(std::string_view bytes) : bytes_(bytes) {}
    bool AtEnd() const { return at_ >= bytes_.size(); }
    bool NextField(std::string& field) {
        if (AtEnd()) return false;
        at_ = std::min(bytes_.find_first_not_of(" \t", at_), bytes_.size());
        if (!AtEnd() && bytes_[at_] == '"') {
            const size_t end = std::min(bytes_.find('"', at_ + 1), bytes_.size());
            field = std::string(bytes_.substr(at_ + 1, end - at_ - 1));
            at_ = std::min(bytes_.find_first_of(",\r\n", end), bytes_.size());
            if (end == bytes_.size()) at_ = end;
        } else {
            const size_t end = std::min(bytes_.find_first_of(",\r\n", at_), bytes_.size());
            field = std::string(bytes_.substr(at_, end - at_));
            field.erase(std::min(field.find_last_not_of(" \t") + 1, field.size()));
            at_ = end;
        }
        if (AtEnd()) return true;
        const char delimiter = bytes_[at_++];
        if (delimiter == '\r' && !AtEnd() && bytes_[at_] == '\n') ++at_;
        return true;
    }

  private:
    std::string_view bytes_;
    size_t at_ = 0;
};

// The earlier record loop: the record count and every field stored, slot by slot.
int ReferenceLoad(std::string_view bytes, ChannelColumns& table) {
    WholeFileReader reader(bytes);
    int count = 0;
    std::string field;
    while (!reader.AtEnd()) {
        if (++count > kChannelCapacity) return count - 1;
        for (int i = 0; i < kFieldsPerRecord; ++i) {
            if (!reader.NextField(field)) return count - 1;
            FieldAt(table, (count - 1) * kFieldsPerRecord + i) =
                std::wstring(field.begin(), field.end());
        }
    }
    return count;
}

bool IsAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) > 0x7F) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = size_t{data[0]} + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    Pieces file(bytes, piece);
    Decoder decoder;
    ChannelColumns table;
    TableSource source(file);
    FieldReader reader(source);
    const TableExtent read = ReadTableFields(reader, table);
    if (read.records > kChannelCapacity || read.fieldsAfter >= kFieldsPerRecord) std::abort();
    if (read.records == kChannelCapacity && read.fieldsAfter != 0) std::abort();
    const TextEncoding encoding = ChooseEncoding(source, table, read, decoder);
    const TableExtent decoded = DecodeFields(table, read, encoding, decoder);
    if (decoded.Fields() > read.Fields()) std::abort();

    if (!IsAscii(bytes)) return 0;
    if (encoding != TextEncoding::Ansi || decoded.conversionFailed) std::abort();
    ChannelColumns reference;
    if (ReferenceLoad(bytes, reference) != decoded.records) std::abort();
    for (int i = 0; i < (kChannelCapacity + 1) * kFieldsPerRecord - kFieldsPerRecord; ++i) {
        if (FieldAt(table, i) != FieldAt(reference, i)) std::abort();
    }
    return 0;
}

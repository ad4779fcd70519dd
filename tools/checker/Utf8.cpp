#include "tools/checker/Utf8.h"

namespace checker {
namespace {

// For a lead byte: the sequence length and the smallest value such a sequence may hold.
bool LeadByte(unsigned char byte, int& length, char32_t& value, char32_t& lowest) {
    if (byte < 0x80) {
        length = 1, value = byte, lowest = 0;
    } else if ((byte & 0xE0) == 0xC0) {
        length = 2, value = byte & 0x1F, lowest = 0x80;
    } else if ((byte & 0xF0) == 0xE0) {
        length = 3, value = byte & 0x0F, lowest = 0x800;
    } else if ((byte & 0xF8) == 0xF0) {
        length = 4, value = byte & 0x07, lowest = 0x10000;
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool DecodeUtf8(std::string_view bytes, std::wstring& text) {
    text.clear();
    for (size_t i = 0; i < bytes.size();) {
        int length;
        char32_t value, lowest;
        if (!LeadByte(static_cast<unsigned char>(bytes[i]), length, value, lowest)) return false;
        if (bytes.size() - i < static_cast<size_t>(length)) return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            value = value << 6 | (next & 0x3F);
        }
        if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        text.push_back(static_cast<wchar_t>(value));
        i += static_cast<size_t>(length);
    }
    return true;
}

}  // namespace checker

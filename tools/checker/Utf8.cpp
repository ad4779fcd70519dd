// UTF-8 decoding with the replacement character for whatever is not UTF-8.

#include "tools/checker/Utf8.h"

#include "platform/PlatformFailure.h"

namespace checker {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Windows-1252's bytes 0x80 to 0x9F; the rest of its bytes are the characters of the same
// number.
constexpr wchar_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

wchar_t FromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte;
}

// False for a character Windows-1252 has no byte for.
bool ToWindows1252(wchar_t c, char& byte) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<char>(c);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] == c) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

// A sequence under way: its value so far, how many continuation bytes it still needs,
// and the range the next one must lie in (narrower after some lead bytes, which rules
// out overlong forms, surrogates and values above U+10FFFF).
struct Sequence {
    char32_t value = 0;
    int needed = 0;
    unsigned char lowest = 0x80, highest = 0xBF;
};

// Starts a sequence at `byte`; false when no valid sequence starts with it.
bool Start(unsigned char byte, Sequence& sequence) {
    sequence = Sequence();
    if (byte >= 0xC2 && byte <= 0xDF) {
        sequence.needed = 1, sequence.value = byte & 0x1F;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        sequence.needed = 2, sequence.value = byte & 0x0F;
        if (byte == 0xE0) sequence.lowest = 0xA0;
        if (byte == 0xED) sequence.highest = 0x9F;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        sequence.needed = 3, sequence.value = byte & 0x07;
        if (byte == 0xF0) sequence.lowest = 0x90;
        if (byte == 0xF4) sequence.highest = 0x8F;
    } else {
        return false;
    }
    return true;
}

// One character; where wchar_t holds 16 bits, one beyond U+FFFF takes a surrogate pair.
void Append(std::wstring& text, char32_t value) {
    if (sizeof(wchar_t) == 2 && value > 0xFFFF) {
        value -= 0x10000;
        text.push_back(static_cast<wchar_t>(0xD800 + (value >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + (value & 0x3FF)));
    } else {
        text.push_back(static_cast<wchar_t>(value));
    }
}

void AppendUtf8(std::string& bytes, char32_t c) {
    if (c < 0x80) {
        bytes.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        bytes += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
        bytes += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                  static_cast<char>(0x80 | (c & 0x3F))};
    } else {
        bytes += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                  static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
}

}  // namespace

std::string ToUtf8Bytes(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        const wchar_t c = text[at];
        auto value = static_cast<char32_t>(c);
        const bool pair = value >= 0xD800 && value <= 0xDBFF && at + 1 < text.size() &&
                          text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
        if (pair) {
            value =
                0x10000 + ((value - 0xD800) << 10) + (static_cast<char32_t>(text[++at]) - 0xDC00);
            AppendUtf8(bytes, value);
        } else if (c >= kStrayByte && c <= kStrayByte + 0x7F) {
            bytes.push_back(static_cast<char>(0x80 + (c - kStrayByte)));
        } else if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
            AppendUtf8(bytes, 0xFFFD);
        } else {
            AppendUtf8(bytes, value);
        }
    }
    return bytes;
}

size_t DecodeUtf8(std::string_view bytes, std::wstring& text) {
    text.clear();
    size_t replaced = 0;
    Sequence sequence;
    for (size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (sequence.needed == 0) {
            ++i;
            if (byte < 0x80) {
                text.push_back(static_cast<wchar_t>(byte));
            } else if (!Start(byte, sequence)) {
                text.push_back(kReplacement), ++replaced;
            }
        } else if (byte < sequence.lowest || byte > sequence.highest) {
            // The sequence is cut short; this byte is looked at again on its own.
            sequence.needed = 0;
            text.push_back(kReplacement), ++replaced;
        } else {
            ++i;
            sequence.value = sequence.value << 6 | (byte & 0x3F);
            sequence.lowest = 0x80, sequence.highest = 0xBF;
            if (--sequence.needed == 0) Append(text, sequence.value);
        }
    }
    if (sequence.needed > 0) text.push_back(kReplacement), ++replaced;
    return replaced;
}

const wchar_t kPortableCodePageName[] = L"Windows-1252";

std::wstring PortableCodec::FromSystemCodePage(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (char byte : bytes) text.push_back(FromWindows1252(static_cast<unsigned char>(byte)));
    return text;
}

bool PortableCodec::ToSystemCodePage(const std::wstring& text, std::string& bytes) {
    bytes.clear();
    char byte = 0;
    for (wchar_t c : text) {
        if (!ToWindows1252(c, byte)) return false;
        bytes.push_back(byte);
    }
    return true;
}

std::wstring PortableCodec::FromUtf8(const std::string& bytes) {
    std::wstring text;
    if (DecodeUtf8(bytes, text) != 0) throw PlatformFailure(L"not UTF-8");
    return text;
}

std::wstring PortableCodec::FromUtf8Replacing(const std::string& bytes) {
    std::wstring text;
    DecodeUtf8(bytes, text);
    return text;
}

}  // namespace checker

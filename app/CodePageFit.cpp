// Which characters the system's code page cannot carry, and how to name them.

#include "app/CodePageFit.h"

namespace {

bool IsHighSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The zero-width characters, the direction marks and the byte order mark: a table
// edited or joined in an editor picks them up unseen.
bool IsInvisibleFormat(wchar_t unit) {
    return (unit >= 0x200B && unit <= 0x200F) || (unit >= 0x2028 && unit <= 0x202E) ||
           (unit >= 0x2060 && unit <= 0x206F) || unit == 0xFEFF;
}

// Control characters, lone surrogates and invisible format characters show nothing, or
// move the cursor.
bool Shows(const std::wstring& character) {
    const wchar_t first = character[0];
    if (character.size() == 2) return true;
    return first >= 0x20 && !(first >= 0x7F && first <= 0x9F) && !IsHighSurrogate(first) &&
           !IsLowSurrogate(first) && !IsInvisibleFormat(first);
}

uint32_t CodePoint(const std::wstring& character) {
    if (character.size() == 2) {
        return 0x10000 + ((static_cast<uint32_t>(character[0]) - 0xD800) << 10) +
               (static_cast<uint32_t>(character[1]) - 0xDC00);
    }
    return static_cast<uint32_t>(character[0]);
}

// U+ and at least four hexadecimal digits, as character tables name them.
void AppendCodePoint(std::wstring& text, uint32_t codePoint) {
    text += L"U+";
    int shift = 12;
    while (shift < 28 && (codePoint >> (shift + 4)) != 0) shift += 4;
    for (; shift >= 0; shift -= 4) text += L"0123456789ABCDEF"[(codePoint >> shift) & 0xF];
}

// A plain search: the list is short, and the library's unrolled one is large.
bool Holds(const std::vector<std::wstring>& list, const std::wstring& item) {
    for (const std::wstring& held : list) {
        if (held == item) return true;
    }
    return false;
}

}  // namespace

std::wstring CharacterAt(const std::wstring& text, size_t at) {
    const size_t units =
        IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]) ? 2 : 1;
    return text.substr(at, units);
}

std::vector<std::wstring> CharactersOutsideCodePage(const std::wstring& text, TextCodec& codec,
                                                    size_t most) {
    std::vector<std::wstring> outside;
    std::string bytes;
    if (codec.ToSystemCodePage(text, bytes)) return outside;
    for (size_t at = 0; at < text.size() && outside.size() < most;) {
        std::wstring character = CharacterAt(text, at);
        at += character.size();
        if (Holds(outside, character)) continue;
        if (!codec.ToSystemCodePage(character, bytes)) outside.push_back(std::move(character));
    }
    return outside;
}

std::wstring DescribeCharacters(const std::vector<std::wstring>& characters) {
    std::wstring text;
    for (const std::wstring& character : characters) {
        if (!text.empty()) text += L", ";
        const bool shows = Shows(character);
        if (shows) {
            text += L'"';
            text += character;
            text += L"\" (";
        }
        AppendCodePoint(text, CodePoint(character));
        if (shows) text += L')';
    }
    return text;
}

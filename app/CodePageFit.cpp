// Which characters the system's code page cannot carry, and how to name them.

#include "app/CodePageFit.h"

#include <algorithm>

#include "ipc/NumberText.h"

namespace {

bool IsHighSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The character at `at`: one unit, or two for a surrogate pair.
std::wstring CharacterAt(const std::wstring& text, size_t at) {
    const size_t units =
        IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]) ? 2 : 1;
    return text.substr(at, units);
}

// Control characters and lone surrogates show nothing, or move the cursor.
bool Shows(const std::wstring& character) {
    const wchar_t first = character[0];
    if (character.size() == 2) return true;
    return first >= 0x20 && !(first >= 0x7F && first <= 0x9F) && !IsHighSurrogate(first) &&
           !IsLowSurrogate(first);
}

uint32_t CodePoint(const std::wstring& character) {
    if (character.size() == 2) {
        return 0x10000 + ((static_cast<uint32_t>(character[0]) - 0xD800) << 10) +
               (static_cast<uint32_t>(character[1]) - 0xDC00);
    }
    return static_cast<uint32_t>(character[0]);
}

std::wstring CodePointText(const std::wstring& character) {
    std::wstring digits = HexText<wchar_t>(CodePoint(character));
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), L'0');
    return L"U+" + digits;
}

}  // namespace

std::vector<std::wstring> CharactersOutsideCodePage(const std::wstring& text, TextCodec& codec) {
    std::vector<std::wstring> outside;
    std::string bytes;
    if (codec.ToSystemCodePage(text, bytes)) return outside;
    for (size_t at = 0; at < text.size();) {
        const std::wstring character = CharacterAt(text, at);
        at += character.size();
        if (std::find(outside.begin(), outside.end(), character) != outside.end()) continue;
        if (!codec.ToSystemCodePage(character, bytes)) outside.push_back(character);
    }
    return outside;
}

std::wstring DescribeCharacters(const std::vector<std::wstring>& characters) {
    std::wstring text;
    for (const std::wstring& character : characters) {
        if (!text.empty()) text += L", ";
        text += Shows(character) ? L"\"" + character + L"\" (" + CodePointText(character) + L")"
                                 : CodePointText(character);
    }
    return text;
}

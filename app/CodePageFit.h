#pragma once
// Whether text reaches an 8-bit program as it is. TeamSpeak 2 reads its command line in
// the system's code page; a character that has no bytes of its own there arrives as a
// look-alike or a question mark, which can end its argument early or start a setting.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// The character of `text` at `at`: one unit, or two for a surrogate pair.
std::wstring CharacterAt(const std::wstring& text, size_t at);

// The characters of `text` that the system's code page cannot carry, each once, in the
// order they first appear (a character beyond U+FFFF is its two 16-bit units), the first
// `most` of them; empty when the whole text arrives as it is. A limit keeps a long text
// of foreign characters from taking a time that grows with their number squared. Throws
// PlatformFailure when the system's conversion fails.
std::vector<std::wstring> CharactersOutsideCodePage(const std::wstring& text, TextCodec& codec,
                                                    size_t most = SIZE_MAX);

// The characters as a pilot can find them in the table: "Ж" (U+0416), U+001B for a
// character that shows nothing, joined with ", ".
std::wstring DescribeCharacters(const std::vector<std::wstring>& characters);

#pragma once
// Strict UTF-8, for the systems whose own conversion cannot be asked.

#include <string>
#include <string_view>

namespace checker {

// Decodes UTF-8 into characters (one wchar_t each). False, with `text` partly filled, for
// what a strict decoder refuses: stray or missing continuation bytes, overlong forms,
// surrogates and values above U+10FFFF.
bool DecodeUtf8(std::string_view bytes, std::wstring& text);

}  // namespace checker

#pragma once
// UTF-8 decoding, for the systems whose own conversion cannot be asked.

#include <cstddef>
#include <string>
#include <string_view>

namespace checker {

// Decodes UTF-8 into characters (one wchar_t each). What a strict decoder refuses
// (stray or missing continuation bytes, overlong forms, surrogates, values above
// U+10FFFF) becomes U+FFFD, one for each longest piece that starts like a valid
// sequence, as current systems replace it. Returns how many were replaced.
size_t DecodeUtf8(std::string_view bytes, std::wstring& text);

}  // namespace checker

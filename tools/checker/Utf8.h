#pragma once
// UTF-8 decoding, for the systems whose own conversion cannot be asked.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace checker {

// Decodes UTF-8 into characters (one wchar_t each). What a strict decoder refuses
// (stray or missing continuation bytes, overlong forms, surrogates, values above
// U+10FFFF) becomes U+FFFD, one for each longest piece that starts like a valid
// sequence, as current systems replace it. Returns how many were replaced.
size_t DecodeUtf8(std::string_view bytes, std::wstring& text);

// The program's conversions where the system's own cannot be asked: the code page is
// Latin-1 (each byte the character of the same number), UTF-8 is decoded as above.
class PortableDecoder : public TextDecoder {
  public:
    std::wstring FromSystemCodePage(const std::string& bytes) override;
    std::wstring FromUtf8(const std::string& bytes) override;
    std::wstring FromUtf8Replacing(const std::string& bytes) override;
};

}  // namespace checker

#pragma once
// UTF-8 and Windows-1252, for the systems whose own conversions cannot be asked.

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

// A byte that is not part of UTF-8 in a file name or a system message, kept as U+DC80
// plus the byte so that it goes back out as the same byte.
constexpr wchar_t kStrayByte = 0xDC80;

// Text as UTF-8, as the native checker writes it: a surrogate pair is its one character;
// a stand-in for a stray byte becomes that byte again, and anything else that is no
// character (a lone surrogate, a value past U+10FFFF) becomes U+FFFD.
std::string ToUtf8Bytes(const std::wstring& text);

// The name of the code page PortableCodec stands in for the system's, as reports give it.
extern const wchar_t kPortableCodePageName[];

// The program's conversions where the system's own cannot be asked: the code page is
// Windows-1252, the ANSI code page of Western European Windows (its five unassigned
// bytes stand for the control characters of the same number, as Windows reads them);
// UTF-8 is decoded as above.
class PortableCodec : public TextCodec {
  public:
    std::wstring FromSystemCodePage(const std::string& bytes) override;
    std::wstring FromUtf8(const std::string& bytes) override;
    std::wstring FromUtf8Replacing(const std::string& bytes) override;
    bool ToSystemCodePage(const std::wstring& text, std::string& bytes) override;
};

}  // namespace checker

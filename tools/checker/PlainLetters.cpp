// The plain letter under each Latin letter with a mark, U+00C0 to U+024F: what a pilot can
// write instead where the system's code page lacks the letter. A blank where no single
// plain letter stands in (ligatures, letters of their own such as thorn or eth's kin).

#include <string>

#include "tools/checker/TableCheck.h"

namespace checker {
namespace {

constexpr wchar_t kFirstMarked = 0x00C0;
constexpr wchar_t kPlain[] =
    L"AAAAAA CEEEEIIIIDNOOOOO OUUUUY  aaaaaa ceeeeiiiidnooooo ouuuuy y"  // U+00C0
    L"AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi  JjKk LlLlLlL"  // U+0100
    L"lLlNnNnNnn  OoOoOo  RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs"  // U+0140
    L"bBBb   CcDDDd E EFfG   IKkl  NnOOo  PpR    tTtTUu VYyZz         "  // U+0180
    L"             AaIiOoUuUuUuUuUu AaAa  GgGgKkOoOo  j   Gg  NnAa  Oo"  // U+01C0
    L"AaAaEeEeIiIiOoOoRrRrUuUuSsTt  HhNd  ZzAaEeOoOoOoOoYylntj  ACcLTs"  // U+0200
    L"z  BU EeJjQqRrYy";                                                 // U+0240

}  // namespace

std::wstring PlainLetter(const std::wstring& character) {
    const size_t count = sizeof kPlain / sizeof kPlain[0] - 1;
    if (character.size() != 1 || character[0] < kFirstMarked ||
        static_cast<size_t>(character[0] - kFirstMarked) >= count) {
        return std::wstring();
    }
    const wchar_t plain = kPlain[character[0] - kFirstMarked];
    return plain == L' ' ? std::wstring() : std::wstring(1, plain);
}

}  // namespace checker

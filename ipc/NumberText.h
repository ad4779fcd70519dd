#pragma once
// Whole numbers as text, without the C library's formatted printing: the few numbers
// the program shows do not justify linking its printf engine, a large share of
// brenvale.exe's size in the static Windows builds. 32-bit values only, so the 32-bit
// build needs no 64-bit division helpers either.

#include <cstdint>
#include <string>

namespace number_text_detail {

template <typename Char>
std::basic_string<Char> Digits(uint32_t value, uint32_t base) {
    Char buffer[32];  // room for any 32-bit value in base 2 and up
    Char* const end = buffer + sizeof buffer / sizeof buffer[0];
    Char* start = end;
    do {
        *--start = static_cast<Char>("0123456789ABCDEF"[value % base]);
        value /= base;
    } while (value != 0);
    return std::basic_string<Char>(start, end);
}

}  // namespace number_text_detail

// Decimal digits: DecimalText<wchar_t>(4000000000u) is L"4000000000".
template <typename Char>
std::basic_string<Char> DecimalText(uint32_t value) {
    return number_text_detail::Digits<Char>(value, 10);
}

// Decimal digits with a leading '-' when negative: DecimalText<wchar_t>(-5) is L"-5".
template <typename Char>
std::basic_string<Char> DecimalText(int32_t value) {
    // The magnitude in unsigned arithmetic, so the most negative value needs no negation.
    const uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    std::basic_string<Char> text = number_text_detail::Digits<Char>(magnitude, 10);
    if (value < 0) text.insert(text.begin(), static_cast<Char>('-'));
    return text;
}

// Upper-case hexadecimal digits without leading zeros: HexText<char>(0x1A4) is "1A4".
template <typename Char>
std::basic_string<Char> HexText(uint32_t value) {
    return number_text_detail::Digits<Char>(value, 16);
}

// The stand-in simulator's COM1 radio: tuned in kHz, shown and reported with two decimals.

#include "tools/standin-sim/Com1Radio.h"

#include "ipc/Com1Display.h"

namespace {

constexpr uint32_t kBandWidthKhz = Com1Radio::kHighestKhz + 1 - Com1Radio::kLowestKhz;

bool InBand(uint32_t khz) {
    return khz >= Com1Radio::kLowestKhz && khz <= Com1Radio::kHighestKhz;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Reads a run of digits at `pos`; false when there is none or it is longer than `maxDigits`.
bool ReadDigits(const std::wstring& text, size_t& pos, size_t maxDigits, uint32_t& value,
                size_t& count) {
    value = 0;
    count = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (++count > maxDigits) return false;
        value = value * 10 + static_cast<uint32_t>(text[pos++] - L'0');
    }
    return count > 0;
}

// The kHz part of the decimals as typed: "8" -> 800, "82" -> 825 (as the radio shows
// 122.825), "825" -> 825.
uint32_t DecimalsToKhz(uint32_t decimals, size_t digits) {
    if (digits == 1) return decimals * 100;
    return digits == 3 ? decimals : ChannelKhz(decimals);
}

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

Com1Radio::Com1Radio(uint32_t khz) : khz_(InBand(khz) ? khz : 122800) {}

bool Com1Radio::Tune(uint32_t khz) {
    if (!InBand(khz)) return false;
    khz_ = khz;
    return true;
}

void Com1Radio::Step(int32_t deltaKhz) {
    const int64_t band = kBandWidthKhz;
    int64_t position = (static_cast<int64_t>(khz_ - kLowestKhz) + deltaKhz) % band;
    if (position < 0) position += band;
    khz_ = kLowestKhz + static_cast<uint32_t>(position);
}

uint16_t Com1Radio::Bcd() const {
    const uint32_t mhz = khz_ / 1000;
    const uint32_t hundredths = (khz_ % 1000) / 10;
    return static_cast<uint16_t>(((mhz / 10) % 10) << 12 | (mhz % 10) << 8 |
                                 (hundredths / 10) << 4 | (hundredths % 10));
}

std::wstring Com1Radio::Text() const {
    return Com1ShownText(khz_);
}

bool Com1Radio::Parse(const std::wstring& typed, uint32_t& khz) {
    const std::wstring text = Trimmed(typed);
    size_t pos = 0, digits = 0;
    uint32_t mhz = 0, decimals = 0;
    if (!ReadDigits(text, pos, 3, mhz, digits) || digits != 3) return false;
    uint32_t result = mhz * 1000;
    if (pos < text.size()) {
        if (text[pos++] != L'.') return false;
        if (!ReadDigits(text, pos, 3, decimals, digits) || pos != text.size()) return false;
        result += DecimalsToKhz(decimals, digits);
    }
    if (!InBand(result)) return false;
    khz = result;
    return true;
}

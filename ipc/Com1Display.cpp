// What COM1's radio shows, and the way back from a shown text to its channel.

#include "ipc/Com1Display.h"

#include "ipc/NumberText.h"

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

}  // namespace

std::wstring Com1ShownText(uint32_t khz) {
    const uint32_t hundredths = khz % 1000 / 10;
    return DecimalText<wchar_t>(khz / 1000) + L"." + DecimalText<wchar_t>(hundredths / 10) +
           DecimalText<wchar_t>(hundredths % 10);
}

std::wstring Com1BandText() {
    return Com1ShownText(kCom1LowestKhz) + L" to " + Com1ShownText(kCom1HighestKhz);
}

bool IsDisplayForm(const std::wstring& text) {
    return text.size() == 6 && text[0] == L'1' && IsDigit(text[1]) && IsDigit(text[2]) &&
           text[3] == L'.' && IsDigit(text[4]) && IsDigit(text[5]);
}

uint32_t ShownHundredths(const std::wstring& text) {
    uint32_t value = 0;
    for (wchar_t c : text) {
        if (IsDigit(c)) value = value * 10 + static_cast<uint32_t>(c - L'0');
    }
    return value;
}

bool IsShownByA25kHzChannel(uint32_t hundredths) {
    const uint32_t last = hundredths % 10;
    return last == 0 || last == 2 || last == 5 || last == 7;
}

bool RadioShows(const std::wstring& text) {
    if (!IsDisplayForm(text)) return false;
    const uint32_t hundredths = ShownHundredths(text);
    return hundredths >= kCom1LowestShown && hundredths <= kCom1HighestShown &&
           IsShownByA25kHzChannel(hundredths);
}

uint32_t ChannelKhz(uint32_t hundredths) {
    const uint32_t last = hundredths % 10;
    return hundredths * 10 + ((last == 2 || last == 7) ? 5 : 0);
}

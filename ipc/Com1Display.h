#pragma once
// What COM1's radio shows: the tuned frequency with two decimals. Its channels lie 25 kHz
// apart, so the last shown digit is 0, 2, 5 or 7 (122.825 MHz shows as 122.82), and a
// shown text leads back to exactly one channel. The checker judges a table's frequencies
// by this rule and the stand-in simulator tunes by it, so both read it here.

#include <cstdint>
#include <string>

#include "ipc/Com1Frequency.h"

// The band's ends in hundredths of a MHz, as the radio shows them: 11800 for 118.00.
constexpr uint32_t kCom1LowestShown = kCom1LowestKhz / 10;
constexpr uint32_t kCom1HighestShown = kCom1HighestKhz / 10;

// The text the radio shows for a frequency in the band: 122825 kHz -> "122.82".
std::wstring Com1ShownText(uint32_t khz);
// The band as the radio shows its ends: "118.00 to 136.99".
std::wstring Com1BandText();

// Six characters 1dd.dd, the form the radio shows (122.80).
bool IsDisplayForm(const std::wstring& text);
// A text in display form as a number: "122.80" -> 12280.
uint32_t ShownHundredths(const std::wstring& text);
// Whether some 25 kHz channel shows these hundredths: the last digit is 0, 2, 5 or 7.
bool IsShownByA25kHzChannel(uint32_t hundredths);
// Whether the radio ever shows this text: display form, inside the band, on a channel.
bool RadioShows(const std::wstring& text);

// The frequency in kHz that shows these hundredths: 12282 -> 122825, the channel below
// the next 5. Hundredths no channel shows read as written: 12281 -> 122810.
uint32_t ChannelKhz(uint32_t hundredths);

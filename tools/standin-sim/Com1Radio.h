#pragma once
// The stand-in simulator's COM1 radio: tuned in exact kHz, shown and reported the way
// the radio shows it, with two decimals (122.825 MHz shows as 122.82, BCD 0x2282).

#include <cstdint>
#include <string>

#include "ipc/Com1Frequency.h"

class Com1Radio {
  public:
    static constexpr uint32_t kLowestKhz = kCom1LowestKhz;
    static constexpr uint32_t kHighestKhz = kCom1HighestKhz;
    static constexpr uint32_t kChannelStepKhz = 25;
    static constexpr uint32_t kMegahertzStepKhz = 1000;

    explicit Com1Radio(uint32_t khz = 122800);

    uint32_t Khz() const { return khz_; }
    // Tunes to a frequency; false (and unchanged) when it lies outside the band.
    bool Tune(uint32_t khz);
    // Steps up or down by whole kHz, wrapping around the band at either end.
    void Step(int32_t deltaKhz);

    // The four shown digits after the leading 1, packed BCD: 122.80 -> 0x2280.
    uint16_t Bcd() const;
    // The six-character text the radio shows, e.g. "122.80".
    std::wstring Text() const;

    // Reads a typed frequency such as "122.80", "122.8", "122.825" or "123". Two
    // decimals ending in 2 or 7 mean the 25 kHz channel below the next 5 (122.82 is
    // 122.825), as on the radio. False for anything else or outside the band.
    static bool Parse(const std::wstring& text, uint32_t& khz);

  private:
    uint32_t khz_;
};

#pragma once
// COM1 as the simulator holds it: two bytes of packed BCD at a fixed offset, the digits
// after the point first, then those after the leading 1 (0x2280 for 122.80), and the band
// the radio tunes.

#include <cstdint>

constexpr uint32_t kCom1FrequencyOffset = 0x034E;
constexpr int32_t kCom1FrequencySize = 2;
constexpr uint32_t kCom1LowestKhz = 118000;   // 118.000 MHz
constexpr uint32_t kCom1HighestKhz = 136999;  // 136.99 is the last shown value

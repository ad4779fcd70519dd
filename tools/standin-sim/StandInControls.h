#pragma once
// The stand-in simulator window's control ids, by which the demo's driver and the tests
// tune its radio from outside.

#include <windows.h>

enum StandInControl : int {
    kSetButton = IDOK,  // Enter in the frequency field also sets it
    kFrequencyDisplay = 101,
    kDownMhzButton,
    kDownKhzButton,
    kUpKhzButton,
    kUpMhzButton,
    kFrequencyField,
    kInfoText,
    kStatusText,
};

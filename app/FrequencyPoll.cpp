// The frequency poll: each tick reads COM1 from the simulator and shows it in the label.

#include "app/FrmMain.h"
#include "app/General.h"

namespace {

constexpr uint32_t kCom1FrequencyOffset = 0x034E;
constexpr int32_t kCom1FrequencySize = 2;  // packed BCD: the digits after the point, then before

// The byte's upper-case hexadecimal text, always two characters. For packed BCD that is
// its two decimal digits, high nibble first (0x05 gives "05"). A nibble above 9 is never a
// valid COM1 setting; it shows as its hex letter and is still widened with a leading
// zero (0x0A gives "0A", 0x2A gives "2A"), so the frequency text stays six characters.
std::wstring DigitPair(uint8_t byte) {
    static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    return {kHexDigits[byte >> 4], kHexDigits[byte & 0x0F]};
}

}  // namespace

std::wstring FrequencyText(uint8_t firstByte, uint8_t secondByte) {
    return L"1" + DigitPair(secondByte) + L"." + DigitPair(firstByte);
}

// Reads COM1 and shows it. A failed read or exchange ends the tick quietly: the label
// keeps the last frequency and the next tick simply tries again.
void FrmMain::Timer1_Timer() {
    uint8_t buffer[kCom1FrequencySize] = {0, 0};
    IpcResult result = IpcOk;
    Fsuipc& link = general_.Link();
    if (!link.IpcRead(kCom1FrequencyOffset, kCom1FrequencySize, buffer, result)) return;
    if (!link.IpcProcess(result)) return;
    SetLblComText(FrequencyText(buffer[0], buffer[1]));
}

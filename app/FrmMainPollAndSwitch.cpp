// The frequency poll and the channel switch: each tick reads COM1 from the simulator and
// shows it in the label, and each new frequency starts TeamSpeak in its channel.

#include "app/CodePageFit.h"
#include "app/FrmMain.h"
#include "app/General.h"
#include "app/ShownTexts.h"
#include "app/TeamSpeakCommand.h"
#include "ipc/Com1Frequency.h"
#include "platform/PlatformFailure.h"

namespace {

// The byte's upper-case hexadecimal text, always two characters. For packed BCD that is
// its two decimal digits, high nibble first (0x05 gives "05"). A nibble above 9 is never a
// valid COM1 setting; it shows as its hex letter and is still widened with a leading
// zero (0x0A gives "0A", 0x2A gives "2A"), so the frequency text stays six characters.
std::wstring DigitPair(uint8_t byte) {
    static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    return {kHexDigits[byte >> 4], kHexDigits[byte & 0x0F]};
}

// Enough characters to find them by: a line of foreign text neither fills the caption nor
// holds up the poll.
constexpr size_t kNamed = 8;

// The start itself stays wide: an 8-bit program's line is the system's conversion of the
// wide one, which for a line that converts exactly gives the bytes checked here (starting
// with the 8-bit call would only convert those bytes back to this same wide line). This
// holds while brenvale.exe asks for no code page of its own in its manifest.
void RefuseUnreadableLine(const std::wstring& commandLine, TextCodec& codec) {
    const LineFault fault = CommandLineFault(commandLine, codec);
    if (fault == LineFault::None) return;
    // A NUL would look like success: TeamSpeak started with a cut argument.
    if (fault == LineFault::Nul) throw PlatformFailure(shown::kNulInCommandLine);
    std::vector<std::wstring> named = CharactersOutsideCodePage(commandLine, codec, kNamed + 1);
    const bool more = named.size() > kNamed;
    if (more) named.pop_back();
    std::wstring reason = shown::kOutsideCodePage;
    reason += DescribeCharacters(named);
    if (more) reason += shown::kMoreOutsideCodePage;
    reason += shown::kOutsideCodePageAdvice;
    throw PlatformFailure(std::move(reason));
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

// Starts TeamSpeak in the channel of the frequency now shown, with a copy of the chosen
// record's texts.
void FrmMain::lblCom_Change() {
    const ChannelRecord chosen =
        RecordAt(ChannelTable, ChooseChannelRecord(ChannelTable, ChannelCount, labelText_));
    StartTeamSpeak(TeamSpeakCommandLine(TeamSpeakDir, chosen, general_.SessionName));
}

// A start that fails must not end the program: the reason goes into the caption until a
// later start succeeds, and the poll goes on.
void FrmMain::StartTeamSpeak(const std::wstring& commandLine) {
    try {
        RefuseUnreadableLine(commandLine, general_.System().files);
        general_.System().programs.StartProgram(TeamSpeakDir + kTeamSpeakExe, commandLine,
                                                kShowMinimized);
    } catch (const PlatformFailure& failure) {
        if (!startFailureShown_) captionBeforeStartFailure_ = Caption();
        startFailureShown_ = true;
        SetCaption(captionBeforeStartFailure_ + shown::kStartFailed + failure.Description());
        return;
    }
    if (startFailureShown_) {
        SetCaption(captionBeforeStartFailure_);
        startFailureShown_ = false;
    }
}

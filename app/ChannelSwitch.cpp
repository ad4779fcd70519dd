// The channel switch: the record for the frequency shown, and TeamSpeak started with it.

#include <algorithm>

#include "app/CodePageFit.h"
#include "app/FrmMain.h"
#include "app/General.h"
#include "app/ShownTexts.h"
#include "platform/PlatformFailure.h"

namespace {

constexpr uint32_t kInvalidParameter = 87;        // the system's code for a bad argument
constexpr uint32_t kNoUnicodeTranslation = 1113;  // a character with no mapping
const wchar_t kTeamSpeakExe[] = L"\\teamspeak.exe";
// The system reads a command line only up to a NUL, so such a line would start TeamSpeak
// with a cut argument and look like success.
const wchar_t kNulInCommandLine[] =
    L"The command line holds a NUL character; check the channel table for it.";
const wchar_t kOutsideCodePage[] =
    L"The command line holds characters that TeamSpeak cannot read in this system's code "
    L"page: ";
const wchar_t kMoreOutsideCodePage[] = L" and others";
const wchar_t kOutsideCodePageAdvice[] =
    L"; check the channel table, your name for this session and the TeamSpeak folder for them.";

// TeamSpeak 2 reads its command line in the system's code page, where the system puts a
// look-alike or a question mark for a character the code page lacks: a fullwidth quote
// becomes '"' and ends the argument early, a '?' starts a setting. Such a line is refused.
// The start itself stays wide: an 8-bit program's line is the system's conversion of the
// wide one, which for a line that converts exactly gives the bytes checked here (starting
// with the 8-bit call would only convert those bytes back to this same wide line). This
// holds while brenvale.exe asks for no code page of its own in its manifest.
void RefuseCharactersOutsideCodePage(const std::wstring& commandLine, TextCodec& codec) {
    std::string bytes;
    if (codec.ToSystemCodePage(commandLine, bytes)) return;
    // Enough to find them by: a line of foreign text neither fills the caption nor holds
    // up the poll.
    constexpr size_t kNamed = 8;
    std::vector<std::wstring> named = CharactersOutsideCodePage(commandLine, codec, kNamed + 1);
    const bool more = named.size() > kNamed;
    if (more) named.pop_back();
    std::wstring reason = kOutsideCodePage;
    reason += DescribeCharacters(named);
    if (more) reason += kMoreOutsideCodePage;
    reason += kOutsideCodePageAdvice;
    throw PlatformFailure(kNoUnicodeTranslation, std::move(reason));
}

}  // namespace

int ChooseChannelRecord(const ChannelColumns& table, int count, const std::wstring& frequency) {
    count = std::min(count, kChannelCapacity);
    for (int record = 1; record <= count; ++record) {
        if (table.Frequency[record] == frequency) return record;
    }
    return 1;
}

ChannelRecord RecordAt(const ChannelColumns& table, int record) {
    return {table.Frequency.at(record), table.Server.at(record),  table.LoginName.at(record),
            table.Password.at(record),  table.Channel.at(record), table.SubChannel.at(record)};
}

std::wstring TeamSpeakCommandLine(const std::wstring& teamSpeakDir, const ChannelRecord& record,
                                  const std::wstring& sessionName) {
    // Values go in as they are; the client reads the one quoted argument itself.
    return teamSpeakDir + kTeamSpeakExe + L" \"" + record.Server + L"?nickname=" + sessionName +
           L"?loginname=" + record.LoginName + L"?password=" + record.Password + L"?channel=" +
           record.Channel + L"?subchannel=" + record.SubChannel + L"\"";
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
        if (commandLine.find(L'\0') != std::wstring::npos) {
            throw PlatformFailure(kInvalidParameter, kNulInCommandLine);
        }
        RefuseCharactersOutsideCodePage(commandLine, general_.System().files);
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

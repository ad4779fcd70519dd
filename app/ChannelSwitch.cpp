// The channel switch: the record for the frequency shown, and TeamSpeak started with it.

#include <algorithm>

#include "app/FrmMain.h"
#include "app/General.h"
#include "app/ShownTexts.h"
#include "platform/PlatformFailure.h"

namespace {

constexpr uint32_t kInvalidParameter = 87;  // the system's code for a bad argument
const wchar_t kTeamSpeakExe[] = L"\\teamspeak.exe";
// The system reads a command line only up to a NUL, so such a line would start TeamSpeak
// with a cut argument and look like success.
const wchar_t kNulInCommandLine[] =
    L"The command line holds a NUL character; check the channel table for it.";

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

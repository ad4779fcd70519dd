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

std::wstring TeamSpeakCommandLine(const std::wstring& teamSpeakDir, const ChannelColumns& table,
                                  int record, const std::wstring& sessionName) {
    // Values go in as they are; the client reads the one quoted argument itself.
    return teamSpeakDir + kTeamSpeakExe + L" \"" + table.Server.at(record) + L"?nickname=" +
           sessionName + L"?loginname=" + table.LoginName.at(record) + L"?password=" +
           table.Password.at(record) + L"?channel=" + table.Channel.at(record) + L"?subchannel=" +
           table.SubChannel.at(record) + L"\"";
}

// Starts TeamSpeak in the channel of the frequency now shown: the first record with
// exactly that frequency, or record 1, the default channel, when none has it.
void FrmMain::lblCom_Change() {
    const int count = std::min<int>(ChannelCount, kChannelCapacity);
    int chosen = 1;
    for (int record = 1; record <= count; ++record) {
        if (ChannelTable.Frequency[record] == labelText_) {
            chosen = record;
            break;
        }
    }
    StartTeamSpeak(TeamSpeakCommandLine(TeamSpeakDir, ChannelTable, chosen, general_.SessionName));
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

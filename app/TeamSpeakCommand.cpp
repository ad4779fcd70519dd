// The record for a frequency, its TeamSpeak command line, and what keeps that line from
// TeamSpeak.

#include "app/TeamSpeakCommand.h"

#include <algorithm>

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

LineFault CommandLineFault(const std::wstring& commandLine, TextCodec& codec) {
    if (commandLine.find(L'\0') != std::wstring::npos) return LineFault::Nul;
    std::string bytes;
    return codec.ToSystemCodePage(commandLine, bytes) ? LineFault::None
                                                      : LineFault::OutsideCodePage;
}

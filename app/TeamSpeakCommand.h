#pragma once
// Which record the channel switch uses for a frequency, the TeamSpeak command line made
// from it, and whether that line can start TeamSpeak as it is: the switch's rule, which
// the checker reports without a window or a link.

#include <string>

#include "app/ChannelTable.h"
#include "platform/FileSystem.h"

// TeamSpeak's program, after the folder it is installed in, and the folder looked in when
// no other is known.
inline constexpr wchar_t kTeamSpeakExe[] = L"\\teamspeak.exe";
inline constexpr const wchar_t* kTeamSpeakExeName = kTeamSpeakExe + 1;
inline constexpr wchar_t kDefaultTeamSpeakDir[] = L"C:\\Program Files\\Teamspeak2_RC2";

// The record the channel switch uses for a frequency: the first of records 1 to `count`
// with exactly that frequency, or record 1, the default channel, when none has it.
int ChooseChannelRecord(const ChannelColumns& table, int count, const std::wstring& frequency);

// Record `record`'s six texts.
ChannelRecord RecordAt(const ChannelColumns& table, int record);

// The TeamSpeak command line for a record, joined exactly with no escaping.
std::wstring TeamSpeakCommandLine(const std::wstring& teamSpeakDir, const ChannelRecord& record,
                                  const std::wstring& sessionName);

// Why a command line would not reach TeamSpeak as it is. The system reads a command line
// only up to a NUL, so such a line would start TeamSpeak with a cut argument. TeamSpeak 2
// reads its line in the system's code page, where a character the code page lacks
// becomes a look-alike or a question mark: a fullwidth quote ends the argument early, a
// '?' starts a setting (CharactersOutsideCodePage names them). Throws PlatformFailure
// when the system's conversion fails.
enum class LineFault { None, Nul, OutsideCodePage };
LineFault CommandLineFault(const std::wstring& commandLine, TextCodec& codec);

#pragma once
// The stand-in TeamSpeak as others find it: the class of the window each started client
// shows, by which the tests and the benchmarks count and close them, and its logs beside
// teamspeak.exe, a line per start: the command line in UTF-8, and the bytes an 8-bit
// program reads as its command line, as they are.

constexpr wchar_t kTeamSpeakStandInClass[] = L"BrenvaleTeamSpeakStandIn";
constexpr wchar_t kTeamSpeakLog[] = L"teamspeak-log.txt";
constexpr wchar_t kTeamSpeakAnsiLog[] = L"teamspeak-ansi-log.txt";

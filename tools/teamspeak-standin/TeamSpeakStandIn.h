#pragma once
// The stand-in TeamSpeak as others find it: the class of the window each started client
// shows, by which the tests and the benchmarks count and close them.

constexpr wchar_t kTeamSpeakStandInClass[] = L"BrenvaleTeamSpeakStandIn";

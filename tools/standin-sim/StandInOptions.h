#pragma once
// The stand-in simulator's command line: how it presents itself and how it answers.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/simserver/SimServerCore.h"

struct ScheduledFrequency {
    uint32_t atMs = 0;  // since the program started
    uint32_t khz = 0;
};

struct StandInOptions {
    std::string windowClass = "UIPCMAIN";
    int32_t serverVersion = SimServerCore::kDefaultServerVersion;
    uint16_t signature = SimServerCore::kSimSignature;
    uint16_t simulator = SimServerCore::kDefaultSimulator;
    uint32_t replyValue = 1;
    uint32_t delayMs = 0;    // wait before answering each request
    bool hang = false;       // stop answering ...
    uint32_t hangAfter = 0;  // ... after this many answered requests
    bool zeroVersions = false;
    bool malformed = false;
    uint32_t com1Khz = 122800;
    std::vector<ScheduledFrequency> schedule;  // in time order
    uint32_t exitAfterMs = 0;                  // 0: run until closed
    std::wstring title = L"Stand-in simulator";
    bool showHelp = false;
};

// Reads the arguments after the program name. On a bad argument returns false and
// says why in `error`; `options` is then not to be used.
bool ParseStandInOptions(const std::vector<std::wstring>& args, StandInOptions& options,
                         std::wstring& error);

// The usage text for --help and for bad arguments.
const wchar_t* StandInUsage();

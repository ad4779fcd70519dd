#pragma once
// Result codes of every operation of the simulator link, and their texts.

#include <array>
#include <cstdint>

enum IpcResult : int32_t {
    IpcOk = 0,
    IpcAlreadyOpen = 1,
    IpcServerNotFound = 2,
    IpcMessageNotRegistered = 3,
    IpcAtomFailed = 4,
    IpcMappingFailed = 5,
    IpcViewFailed = 6,
    IpcBadServerVersion = 7,
    IpcWrongSimulator = 8,
    IpcNotOpen = 9,
    IpcNothingQueued = 10,
    IpcTimedOut = 11,
    IpcSendFailed = 12,
    IpcBadReply = 13,
    IpcSimNotRunning = 14,
    IpcAreaFull = 15,
};

constexpr int kIpcResultCount = 16;
constexpr int kSimNameCount = 6;

// The texts for each code, index = code. Exact wording matters: users quote them.
extern const std::array<const wchar_t*, kIpcResultCount> kIpcResultTexts;
// Simulator numbers as the server reports them; 0 asks for any simulator.
extern const std::array<const wchar_t*, kSimNameCount> kSimNameTexts;

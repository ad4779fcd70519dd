// The texts of the link's result codes and the simulator names.

#include "ipc/IpcResult.h"

namespace {

// Each text placed by its code's name, so the table follows the codes whatever their order.
constexpr std::array<const wchar_t*, kIpcResultCount> ResultTexts() {
    std::array<const wchar_t*, kIpcResultCount> texts{};
    texts[IpcOk] = L"Okay";
    texts[IpcAlreadyOpen] = L"Attempt to Open when already Open";
    texts[IpcServerNotFound] = L"Cannot link to FSUIPC or WideClient";
    texts[IpcMessageNotRegistered] = L"Failed to Register common message with Windows";
    texts[IpcAtomFailed] = L"Failed to create Atom for mapping filename";
    texts[IpcMappingFailed] = L"Failed to create a file mapping object";
    texts[IpcViewFailed] = L"Failed to open a view to the file map";
    texts[IpcBadServerVersion] = L"Incorrect version of FSUIPC, or not FSUIPC";
    texts[IpcWrongSimulator] = L"Sim is not version requested";
    texts[IpcNotOpen] = L"Call cannot execute, link not Open";
    texts[IpcNothingQueued] = L"Call cannot execute: no requests accumulated";
    texts[IpcTimedOut] = L"IPC timed out all retries";
    texts[IpcSendFailed] = L"IPC sendmessage failed all retries";
    texts[IpcBadReply] = L"IPC request contains bad data";
    texts[IpcSimNotRunning] =
        L"Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC";
    texts[IpcAreaFull] = L"Read or Write request cannot be added, memory for Process is full";
    return texts;
}

}  // namespace

const std::array<const wchar_t*, kIpcResultCount> kIpcResultTexts = ResultTexts();

const std::array<const wchar_t*, kSimNameCount> kSimNameTexts = {
    L"Any", L"FS98", L"FS2K", L"CFS2", L"CFS1", L"FLY",
};

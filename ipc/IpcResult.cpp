// The texts of the link's result codes and the simulator names.

#include "ipc/IpcResult.h"

const std::array<const wchar_t*, kIpcResultCount> kIpcResultTexts = {
    L"Okay",
    L"Attempt to Open when already Open",
    L"Cannot link to FSUIPC or WideClient",
    L"Failed to Register common message with Windows",
    L"Failed to create Atom for mapping filename",
    L"Failed to create a file mapping object",
    L"Failed to open a view to the file map",
    L"Incorrect version of FSUIPC, or not FSUIPC",
    L"Sim is not version requested",
    L"Call cannot execute, link not Open",
    L"Call cannot execute: no requests accumulated",
    L"IPC timed out all retries",
    L"IPC sendmessage failed all retries",
    L"IPC request contains bad data",
    L"Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC",
    L"Read or Write request cannot be added, memory for Process is full",
};

const std::array<const wchar_t*, kSimNameCount> kSimNameTexts = {
    L"Any", L"FS98", L"FS2K", L"CFS2", L"CFS1", L"FLY",
};

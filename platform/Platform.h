#pragma once
// Everything the application needs of the system, handed to it in one piece.

#include "Dialogs.h"
#include "FileSystem.h"
#include "MainWindow.h"
#include "ProgramStarter.h"
#include "SettingsStore.h"
#include "ipc/IpcTransport.h"

struct Platform {
    MainWindowFactory& windows;
    Dialogs& dialogs;
    SettingsStore& settings;
    FileSystem& files;
    ProgramStarter& programs;
    IpcTransport& ipc;
};

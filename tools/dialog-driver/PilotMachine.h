#pragma once
// A pilot's machine for the end-to-end tests and the start benchmark: brenvale.exe in a
// folder of its own, TeamSpeak (the stand-in) in another whose path has blanks, and the
// settings naming that folder and settling the module offer. Whatever way it ends, the
// stand-ins are ended and the user's settings are put back as they were.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/ChannelTable.h"
#include "app/TeamSpeakCommand.h"

namespace driver {

// The settings the machine writes, as they were; put back when it goes.
class SavedSettings {
  public:
    SavedSettings();
    ~SavedSettings();
    SavedSettings(const SavedSettings&) = delete;
    SavedSettings& operator=(const SavedSettings&) = delete;

    struct Value {
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };

  private:
    const std::wstring missingKey_;  // the outermost key of its path that was missing
    const std::optional<Value> teamSpeakPath_, moduleOffer_;
};

// A folder made here, removed with what it holds when it goes; one that was there is left.
class MadeFolder {
  public:
    explicit MadeFolder(const std::filesystem::path& path);
    ~MadeFolder();
    MadeFolder(const MadeFolder&) = delete;
    MadeFolder& operator=(const MadeFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

  private:
    const std::filesystem::path path_;
    const bool made_;
};

class PilotMachine {
  public:
    // Under `root`, made if missing: `Brenvale` with brenvale.exe from beside this
    // program, and with `withClient` the stand-in in `Team Speak 2`, stored as TSPath
    // (otherwise TSPath is removed); FSUIPCINST is "1". Throws
    // std::filesystem::filesystem_error or PlatformFailure.
    PilotMachine(const std::filesystem::path& root, bool withClient);
    ~PilotMachine();  // ends the stand-ins first
    PilotMachine(const PilotMachine&) = delete;
    PilotMachine& operator=(const PilotMachine&) = delete;

    std::wstring ProgramFolder() const { return programFolder_.wstring(); }
    std::wstring Program() const { return (programFolder_ / L"brenvale.exe").wstring(); }
    std::wstring Table() const { return table_.wstring(); }
    std::wstring ClientFolder() const { return clientFolder_.wstring(); }
    std::wstring Client() const { return (clientFolder_ / kTeamSpeakExeName).wstring(); }

    // Copies the stand-in into the client's folder (again, if it was removed).
    void InstallClient() const;
    // The channel table's bytes; false when they could not be written.
    bool WriteTable(const std::string& bytes) const;
    // The command lines the client was started with, in order.
    std::vector<std::wstring> Starts() const;
    // The same starts' command lines as the client read them as an 8-bit program: the
    // bytes as they were, in the system's code page.
    std::vector<std::string> AnsiStarts() const;

    // The stand-ins' windows, whoever started them.
    static std::vector<HWND> ClientWindows();
    // Ends the stand-ins' processes and waits for them to go.
    static void EndClients();

  private:
    std::vector<std::string> LogLines(const wchar_t* log) const;

    const SavedSettings settings_;  // first, so it is put back last
    const MadeFolder root_;
    const std::filesystem::path programFolder_ = root_.Path() / L"Brenvale";
    const std::filesystem::path table_ = programFolder_ / kChannelTableName;
    const std::filesystem::path clientFolder_ = root_.Path() / L"Team Speak 2";
};

}  // namespace driver

#pragma once
// A machine set up as a pilot's would be, for the start benchmark: brenvale.exe in a
// folder of its own with a channel table, TeamSpeak (the stand-in) in another, and the
// settings naming that folder and settling the module offer. All of it is undone when
// the object ends, and the settings it wrote are put back as they were.

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "bench/win/BenchSupport.h"
#include "platform/win32/Win32Helpers.h"
#include "platform/win32/Win32SettingsStore.h"
#include "tools/dialog-driver/DialogDriver.h"

namespace bench {

namespace machine {

constexpr wchar_t kApplication[] = L"Brenvale", kSection[] = L"Settings";
constexpr wchar_t kTeamSpeakPath[] = L"TSPath", kModuleOffer[] = L"FSUIPCINST";

inline const std::wstring& SettingsKey() {
    static const std::wstring key = SettingsKeyPath(kApplication, kSection);
    return key;
}

// A setting as it is now; nullopt when the key holds no such text value.
inline std::optional<std::wstring> ReadSetting(const wchar_t* name) {
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), name, RRF_RT_REG_SZ, nullptr,
                     nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return Win32SettingsStore().GetSetting(kApplication, kSection, name);
}

// Sets or (for nullopt) removes a setting; throws nothing, since restoring uses it too.
inline bool WriteSetting(const wchar_t* name, const std::optional<std::wstring>& value) {
    const wchar_t* key = SettingsKey().c_str();
    if (!value) return RegDeleteKeyValueW(HKEY_CURRENT_USER, key, name) == ERROR_SUCCESS;
    const DWORD bytes = static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value->c_str(), bytes) ==
           ERROR_SUCCESS;
}

inline bool SettingsKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The settings the bench writes, as they were before; put back when the object ends.
class SavedSettings {
  public:
    ~SavedSettings() {
        WriteSetting(kTeamSpeakPath, teamSpeakPath_);
        WriteSetting(kModuleOffer, moduleOffer_);
        if (!keyExisted_) RegDeleteKeyW(HKEY_CURRENT_USER, SettingsKey().c_str());
    }

  private:
    const bool keyExisted_ = SettingsKeyExists();
    const std::optional<std::wstring> teamSpeakPath_ = ReadSetting(kTeamSpeakPath);
    const std::optional<std::wstring> moduleOffer_ = ReadSetting(kModuleOffer);
};

}  // namespace machine

class SetUpMachine {
  public:
    SetUpMachine() = default;
    SetUpMachine(const SetUpMachine&) = delete;
    SetUpMachine& operator=(const SetUpMachine&) = delete;
    ~SetUpMachine() {
        CloseTeamSpeakStandIns();
        Sleep(500);  // lets the stand-ins end before their folder goes
        std::error_code kept;
        if (createdRoot_) std::filesystem::remove_all(root_, kept);
    }

    // A table whose first record is `com1`; false when the folder was there already or
    // a setting could not be written. Throws std::filesystem::filesystem_error when a
    // folder or file cannot be made.
    bool Prepare(const std::wstring& com1) {
        namespace fs = std::filesystem;
        createdRoot_ = fs::create_directory(root_);
        if (!createdRoot_) return false;
        fs::create_directory(programFolder_);
        fs::create_directory(teamSpeakFolder_);
        const fs::path built = ProgramFolder();
        fs::copy_file(built / L"brenvale.exe", programFolder_ / L"brenvale.exe");
        fs::copy_file(built / L"teamspeak-standin" / L"teamspeak.exe",
                      teamSpeakFolder_ / L"teamspeak.exe");
        std::ofstream table(programFolder_ / L"brenvale.txt", std::ios::binary);
        table << Utf8(com1) << ",voice.example.net,pilot,secret,Approach,Final\r\n"
              << "123.45,voice.example.net,pilot,secret,Tower,Ground\r\n"
              << std::flush;
        return table &&
               machine::WriteSetting(machine::kTeamSpeakPath, teamSpeakFolder_.wstring()) &&
               machine::WriteSetting(machine::kModuleOffer, L"1");
    }

    driver::Process StartBrenvale() const {
        return driver::StartProgram((programFolder_ / L"brenvale.exe").wstring(), L"",
                                    programFolder_.wstring());
    }

    // The stand-in's log holds a line per start.
    size_t TeamSpeakStarts() const {
        std::ifstream log(teamSpeakFolder_ / L"teamspeak-log.txt", std::ios::binary);
        return static_cast<size_t>(std::count(std::istreambuf_iterator<char>(log), {}, '\n'));
    }

    static void CloseTeamSpeakStandIns() {
        for (HWND window = nullptr;
             (window = FindWindowExW(nullptr, window, kTeamSpeakStandInClass, nullptr));) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }

  private:
    const machine::SavedSettings settings_;  // first, so it is put back last
    const std::filesystem::path root_ =
        std::filesystem::temp_directory_path() /
        (L"brenvale-start-bench-" + std::to_wstring(GetCurrentProcessId()));
    const std::filesystem::path programFolder_ = root_ / L"Brenvale";
    const std::filesystem::path teamSpeakFolder_ = root_ / L"Team Speak 2";
    bool createdRoot_ = false;
};

}  // namespace bench

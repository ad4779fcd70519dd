// A pilot's machine for the end-to-end tests and the start benchmark.
#include "tools/dialog-driver/PilotMachine.h"

#include <fstream>

#include "app/SettingsNames.h"
#include "platform/win32/Win32Helpers.h"
#include "platform/win32/Win32SettingsStore.h"
#include "tools/dialog-driver/DialogDriver.h"

namespace driver {

namespace {

namespace fs = std::filesystem;
using namespace settings;

const std::wstring& SettingsKey() {
    static const std::wstring key = SettingsKeyPath(kApplication, kSection);
    return key;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The outermost key on the settings' path that is not there; empty when all are.
std::wstring OutermostMissingKey() {
    const std::wstring& path = SettingsKey();
    for (size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
        if (!KeyExists(path.substr(0, end))) return path.substr(0, end);
        if (end == std::wstring::npos) return std::wstring();
    }
}

// A value as it is now, of whatever type; nullopt when there is none.
std::optional<SavedSettings::Value> ReadValue(const wchar_t* name) {
    SavedSettings::Value value;
    for (DWORD bytes = 0;;) {
        const LSTATUS status =
            RegGetValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND,
                         &value.type, value.data.data(), &bytes);
        if (status == ERROR_SUCCESS && bytes <= value.data.size()) {
            value.data.resize(bytes);
            return value;
        }
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return std::nullopt;
        value.data.resize(bytes);  // asked for the size, or the value grew meanwhile
    }
}

// Writes a value, or removes it for nullopt; throws nothing, as it runs on the way out.
void WriteValue(const wchar_t* name, const std::optional<SavedSettings::Value>& value) {
    if (!value) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), name);
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), name, value->type, value->data.data(),
                    static_cast<DWORD>(value->data.size()));
}

void StoreSetting(const wchar_t* name, const std::wstring& text) {
    Win32SettingsStore().SaveSetting(kApplication, kSection, name, text);
}

}  // namespace

SavedSettings::SavedSettings()
    : missingKey_(OutermostMissingKey()),
      teamSpeakPath_(ReadValue(kTeamSpeakPathKey)),
      moduleOffer_(ReadValue(kModuleInstalledKey)) {}

SavedSettings::~SavedSettings() {
    WriteValue(kTeamSpeakPathKey, teamSpeakPath_);
    WriteValue(kModuleInstalledKey, moduleOffer_);
    // Writing made the keys that were missing: they go, with what was written into them.
    if (!missingKey_.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, missingKey_.c_str());
}

MadeFolder::MadeFolder(const fs::path& path) : path_(path), made_(fs::create_directories(path)) {}

MadeFolder::~MadeFolder() {
    std::error_code kept;
    if (made_) fs::remove_all(path_, kept);
}

PilotMachine::PilotMachine(const fs::path& root, bool withClient) : root_(root) {
    fs::create_directory(programFolder_);
    fs::copy_file(fs::path(::ProgramFolder()) / L"brenvale.exe", Program(),
                  fs::copy_options::overwrite_existing);
    if (withClient) {
        InstallClient();
        StoreSetting(kTeamSpeakPathKey, ClientFolder());
    } else {
        WriteValue(kTeamSpeakPathKey, std::nullopt);
    }
    StoreSetting(kModuleInstalledKey, L"1");
}

PilotMachine::~PilotMachine() {
    EndClients();
}

void PilotMachine::InstallClient() const {
    fs::create_directory(clientFolder_);
    fs::copy_file(fs::path(::ProgramFolder()) / L"teamspeak-standin" / L"teamspeak.exe", Client(),
                  fs::copy_options::overwrite_existing);
}

bool PilotMachine::WriteTable(const std::string& bytes) const {
    std::ofstream table(table_, std::ios::binary);
    return static_cast<bool>(table << bytes << std::flush);
}

// A log of the stand-in's, a line per start, without the line ends.
std::vector<std::string> PilotMachine::LogLines(const wchar_t* log) const {
    std::ifstream file(clientFolder_ / log, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line.substr(0, line.find('\r')));
    }
    return lines;
}

// The stand-in writes each command line as a line of UTF-8, which the path type converts.
std::vector<std::wstring> PilotMachine::Starts() const {
    std::vector<std::wstring> starts;
    for (const std::string& line : LogLines(kTeamSpeakLog)) {
        starts.push_back(fs::u8path(line).wstring());
    }
    return starts;
}

std::vector<std::string> PilotMachine::AnsiStarts() const {
    return LogLines(kTeamSpeakAnsiLog);
}

std::vector<HWND> PilotMachine::ClientWindows() {
    std::vector<HWND> windows;
    for (HWND window = nullptr;
         (window = FindWindowExW(nullptr, window, kTeamSpeakStandInClass, nullptr));) {
        windows.push_back(window);
    }
    return windows;
}

void PilotMachine::EndClients() {
    for (HWND window : ClientWindows()) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            EndProcess()(process);
        }
    }
}

}  // namespace driver

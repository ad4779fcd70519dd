// The preparations before the window is first shown: where TeamSpeak is, and the one-time
// offer to install fsuipc.dll into the simulator.

#include "app/FrmMain.h"
#include "app/General.h"
#include "app/SettingsNames.h"
#include "app/ShownTexts.h"
#include "app/TeamSpeakCommand.h"
#include "platform/PlatformFailure.h"

using namespace settings;
using namespace shown;

namespace {

const wchar_t kSimulatorExe[] = L"\\fs2000.exe";
const wchar_t kModuleFile[] = L"\\fsuipc.dll";
const wchar_t kModuleDestination[] = L"\\Modules\\fsuipc.dll";

}  // namespace

bool FrmMain::LocateTeamSpeak() {
    try {
        FindOrPickTeamSpeak();
        return true;
    } catch (const PlatformFailure& failure) {
        ShowLoadErrorReport(failure.Description());
        return false;
    }
}

void FrmMain::FindOrPickTeamSpeak() {
    Platform& system = general_.System();
    TeamSpeakDir = system.settings.GetSetting(kApplication, kSection, kTeamSpeakPathKey);
    if (system.files.FileExists(TeamSpeakDir + kTeamSpeakExe)) return;

    if (system.files.FileExists(std::wstring(kDefaultTeamSpeakDir) + kTeamSpeakExe)) {
        TeamSpeakDir = kDefaultTeamSpeakDir;
    } else {
        system.dialogs.ShowMessageBox(kCannotLocateTeamSpeak, kTeamSpeakTitle,
                                      kMbOk | kMbIconExclamation);
        TeamSpeakDir.clear();
        for (;;) {
            // A cancelled picker gives empty text, which is tested like any folder.
            TeamSpeakDir = BrowseForFolder(kPickTeamSpeak);
            if (system.files.FileExists(TeamSpeakDir + kTeamSpeakExe)) break;
            if (system.dialogs.ShowMessageBox(kTeamSpeakNotInPick, kTeamSpeakTitle, kMbYesNo) !=
                kIdYes) {
                throw ProgramEndRequested{};
            }
        }
    }
    system.settings.SaveSetting(kApplication, kSection, kTeamSpeakPathKey, TeamSpeakDir);
}

bool FrmMain::OfferModuleInstall() {
    try {
        Platform& system = general_.System();
        if (!system.settings.GetSetting(kApplication, kSection, kModuleInstalledKey).empty()) {
            return true;
        }
        if (system.dialogs.ShowMessageBox(kOfferInstall, kInstallTitle, kMbYesNo) == kIdYes) {
            InstallModule();
        } else if (system.dialogs.ShowMessageBox(kAskAgain, kInstallTitle,
                                                 kMbYesNo | kMbIconQuestion) != kIdYes) {
            system.settings.SaveSetting(kApplication, kSection, kModuleInstalledKey, L"1");
        }
        return true;
    } catch (const PlatformFailure& failure) {
        ShowInstallErrorReport(failure.Description());
        return false;
    }
}

// Asks for the simulator's folder until it holds fs2000.exe, then copies the module
// into its Modules folder. The offer is settled only once the copy has succeeded.
void FrmMain::InstallModule() {
    Platform& system = general_.System();
    for (;;) {
        const std::wstring flightSimDir = BrowseForFolder(kPickSimulator);
        if (system.files.FileExists(flightSimDir + kSimulatorExe)) {
            system.files.CopyFileReplacing(system.files.ProgramFolder() + kModuleFile,
                                           flightSimDir + kModuleDestination);
            system.settings.SaveSetting(kApplication, kSection, kModuleInstalledKey, L"1");
            system.dialogs.ShowMessageBox(kInstalled, kInstallTitle, kMbOk | kMbIconInformation);
            return;
        }
        if (system.dialogs.ShowMessageBox(kSimulatorNotInPick, kInstallTitle, kMbYesNo) != kIdYes) {
            throw ProgramEndRequested{};
        }
    }
}

std::wstring FrmMain::BrowseForFolder(const std::wstring& instruction) {
    return general_.System().dialogs.PickFolder(NativeHandle(), instruction);
}

#pragma once
// The texts of the program's boxes, word for word as users know them and as the user
// guide quotes them, spelling included.

namespace shown {

inline constexpr wchar_t kTeamSpeakTitle[] = L"TeamSpeak Required";
inline constexpr wchar_t kInstallTitle[] = L"FSU IPC Installation";
inline constexpr wchar_t kCannotLocateTeamSpeak[] =
    L"Brenvale cannot locate you TeamSpeak installation. Please click OK and follow the "
    L"instructions to locate it manually.";
inline constexpr wchar_t kTeamSpeakNotInPick[] =
    L"Sorry, Brenvale was unable to locate TeamSpeak in the location you supplied. Do you "
    L"wish to try again?";
inline constexpr wchar_t kOfferInstall[] =
    L"To work correctly, Brenvale requires fsuipc.dll to be installed in your FlightSim "
    L"modules folder. As this is the first time you have used Brenvale it may not yet be "
    L"installed. Do you wish to install it now?";
inline constexpr wchar_t kInstalled[] =
    L"fsuipc.dll has been installed successfully. You will need to restart Flight Simulator.";
inline constexpr wchar_t kSimulatorNotInPick[] =
    L"Sorry, Brenvale was unable to locate a FlightSim installation in the location you "
    L"supplied. Do you wish to try again?";
inline constexpr wchar_t kAskAgain[] =
    L"You have selected to skip installing fsuipc.dll. Do you want to be asked about this "
    L"again when you next run Brenvale?";
inline constexpr wchar_t kAskName[] = L"Enter your name for this session";
inline constexpr wchar_t kLoadErrorSentence[] =
    L"An error occured while Brenvale was loading it's channel data file and locating "
    L"TeamSpeak. Brenvale will continue, however may not function correctly.";
inline constexpr wchar_t kInstallErrorSentence[] =
    L"An error occured while Brenvale was installing FSUIPC.DLL. Brenvale will continue, "
    L"however may not function correctly.";
inline constexpr wchar_t kContactDeveloper[] =
    L"If you are unable to solve the problem, please contact the developer with the "
    L"following error message: ";
inline constexpr wchar_t kStartFailed[] = L" - Can't start TeamSpeak: ";

}  // namespace shown

#pragma once
// Every text brenvale.exe shows, word for word as users know them and as the user guide
// quotes them, spelling included. Each is written once, in one of the two lists below,
// which make both the constants and the lists the guide's check walks: a text added here
// is checked against the guide from then on.

namespace shown {

// The titles of the boxes and the window's caption, which the guide names in quotes.
#define BRENVALE_SHOWN_TITLES(X)              \
    X(kProgramName, L"Brenvale")              \
    X(kTeamSpeakTitle, L"TeamSpeak Required") \
    X(kInstallTitle, L"FSU IPC Installation") \
    X(kErrorTitle, L"Error")

// Everything else: sentences, prompts and the pieces of the caption and the reports.
#define BRENVALE_SHOWN_TEXTS(X)                                                               \
    /* The installation checks and the name question, with the folder lists' prompts. */      \
    X(kCannotLocateTeamSpeak,                                                                 \
      L"Brenvale cannot locate you TeamSpeak installation. Please click OK and follow the "   \
      L"instructions to locate it manually.")                                                 \
    X(kTeamSpeakNotInPick,                                                                    \
      L"Sorry, Brenvale was unable to locate TeamSpeak in the location you supplied. Do you " \
      L"wish to try again?")                                                                  \
    X(kPickTeamSpeak, L"Select the directory that TeamSpeak is installed in.")                \
    X(kOfferInstall,                                                                          \
      L"To work correctly, Brenvale requires fsuipc.dll to be installed in your FlightSim "   \
      L"modules folder. As this is the first time you have used Brenvale it may not yet be "  \
      L"installed. Do you wish to install it now?")                                           \
    X(kPickSimulator, L"Select the directory that FlightSim is installed in.")                \
    X(kInstalled,                                                                             \
      L"fsuipc.dll has been installed successfully. You will need to restart Flight "         \
      L"Simulator.")                                                                          \
    X(kSimulatorNotInPick,                                                                    \
      L"Sorry, Brenvale was unable to locate a FlightSim installation in the location you "   \
      L"supplied. Do you wish to try again?")                                                 \
    X(kAskAgain,                                                                              \
      L"You have selected to skip installing fsuipc.dll. Do you want to be asked about this " \
      L"again when you next run Brenvale?")                                                   \
    X(kAskName, L"Enter your name for this session")                                          \
    /* The error reports, with the load's own reason. */                                      \
    X(kLoadErrorSentence,                                                                     \
      L"An error occured while Brenvale was loading it's channel data file and locating "     \
      L"TeamSpeak. Brenvale will continue, however may not function correctly.")              \
    X(kTableOutOfMemory, L"There is not enough memory to read the channel table.")            \
    X(kInstallErrorSentence,                                                                  \
      L"An error occured while Brenvale was installing FSUIPC.DLL. Brenvale will continue, "  \
      L"however may not function correctly.")                                                 \
    X(kContactDeveloper,                                                                      \
      L"If you are unable to solve the problem, please contact the developer with the "       \
      L"following error message: ")                                                           \
    /* The caption's pieces: the link's failure, a refused start and its reasons. */          \
    X(kCannotConnect, L"Can't connect: ")                                                     \
    X(kStartFailed, L" - Can't start TeamSpeak: ")                                            \
    X(kNulInCommandLine,                                                                      \
      L"The command line holds a NUL character; check the channel table for it.")             \
    X(kOutsideCodePage,                                                                       \
      L"The command line holds characters that TeamSpeak cannot read in this system's code "  \
      L"page: ")                                                                              \
    X(kMoreOutsideCodePage, L" and others")                                                   \
    X(kOutsideCodePageAdvice,                                                                 \
      L"; check the channel table, your name for this session and the TeamSpeak folder for "  \
      L"them.")                                                                               \
    /* The Windows platform's report of a failure nothing handled. */                         \
    X(kRunTimeError, L"Run-time error:\r\n\r\n")                                              \
    X(kUnknownFailure, L"Unknown failure")                                                    \
    X(kOutOfMemory, L"Out of memory")

#define BRENVALE_SHOWN_TEXT(name, text) inline constexpr wchar_t name[] = text;
#define BRENVALE_SHOWN_ITEM(name, text) name,
BRENVALE_SHOWN_TITLES(BRENVALE_SHOWN_TEXT)
BRENVALE_SHOWN_TEXTS(BRENVALE_SHOWN_TEXT)
inline constexpr const wchar_t* kTitles[] = {BRENVALE_SHOWN_TITLES(BRENVALE_SHOWN_ITEM)};
inline constexpr const wchar_t* kTexts[] = {BRENVALE_SHOWN_TEXTS(BRENVALE_SHOWN_ITEM)};
#undef BRENVALE_SHOWN_ITEM
#undef BRENVALE_SHOWN_TEXT
#undef BRENVALE_SHOWN_TEXTS
#undef BRENVALE_SHOWN_TITLES

}  // namespace shown

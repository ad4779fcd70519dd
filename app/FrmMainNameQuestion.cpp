// The last step before the window is first shown: the user's name for the session, the
// nickname in every TeamSpeak command line.

#include "app/FrmMain.h"
#include "app/General.h"
#include "app/ShownTexts.h"
#include "platform/PlatformFailure.h"

void FrmMain::AskSessionName() {
    try {
        general_.SessionName =
            general_.System().dialogs.InputBox(shown::kAskName, shown::kProgramName);
    } catch (const PlatformFailure& failure) {
        ShowInstallErrorReport(failure.Description());
    }
}

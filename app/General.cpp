// Program-wide data and the start-up procedure.

#include "app/General.h"

#include <string>

#include "app/FrmMain.h"
#include "app/ShownTexts.h"
#include "ipc/NumberText.h"

General::General(Platform& platform) : platform_(platform), link_(platform.ipc) {}

General::~General() = default;

bool General::StartUp() {
    FillTables();
    link_.IpcInit();
    IpcResult result = IpcOk;
    const bool opened = link_.IpcOpen(0, result);  // 0: whichever simulator the link finds
    try {
        FrmMain& window = frmMain();  // creates the window and runs its load sequence
        if (opened) {
            window.EnableTimer1();
        } else {
            window.SetCaption(CannotConnectCaption(window.Caption(), result));
        }
        window.Show();
    } catch (const ProgramEndRequested&) {
        // The user chose to end during the load: give the link back before the process
        // exits, since the window's unload, which normally does it, never runs.
        link_.IpcClose();
        return false;
    }
    return true;
}

std::wstring General::CannotConnectCaption(const std::wstring& caption, IpcResult result) const {
    return caption + shown::kCannotConnect + ResultText(result);
}

FrmMain& General::frmMain() {
    if (!window_) {
        window_ = std::make_unique<FrmMain>(*this);
        window_->Form_Load();
    }
    return *window_;
}

void General::FillTables() {
    for (int sim = 0; sim < kSimNameCount; ++sim) SimNames[sim] = kSimNameTexts[sim];
}

std::wstring General::ResultText(IpcResult result) const {
    if (result >= 0 && result < kIpcResultCount) return IpcErrorText[result];
    // Only the codes above exist; anything else is shown by number rather than read
    // from outside the table.
    return L"IPC result " + DecimalText<wchar_t>(static_cast<int32_t>(result));
}

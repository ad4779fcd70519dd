// The main window's life: its creation and load sequence, the label, and its unload.

#include "app/FrmMain.h"

#include "app/General.h"
#include "app/ShownTexts.h"

using namespace shown;

namespace {

std::wstring ErrorReportText(const wchar_t* sentence, const std::wstring& description) {
    return std::wstring(sentence) + L"\r\n\r\n" + kContactDeveloper + L"\r\n" + description;
}

}  // namespace

FrmMain::FrmMain(General& general)
    : general_(general), view_(general.System().windows.CreateMainWindow(*this)) {}

FrmMain::~FrmMain() = default;

std::wstring FrmMain::Caption() const {
    return view_->Caption();
}

void FrmMain::SetCaption(const std::wstring& caption) {
    view_->SetCaption(caption);
}

void FrmMain::EnableTimer1() {
    view_->EnableTimer(kTimer1IntervalMs);
}

void FrmMain::Show() {
    view_->Show();
}

uintptr_t FrmMain::NativeHandle() const {
    return view_->NativeHandle();
}

void FrmMain::SetLblComText(const std::wstring& text) {
    if (text == labelText_) return;
    labelText_ = text;
    view_->ShowLabelText(text);
    lblCom_Change();
}

void FrmMain::Form_Load() {
    // Each phase reports its own failure; after a report the rest is skipped and the
    // window opens all the same.
    if (!LoadChannelTable()) return;
    if (!LocateTeamSpeak()) return;
    if (!OfferModuleInstall()) return;
    AskSessionName();
}

void FrmMain::Form_Unload(int& /*cancel*/) {
    general_.Link().IpcClose();
}

void FrmMain::OnCloseRequest() {
    int cancel = 0;
    Form_Unload(cancel);
}

void FrmMain::ShowLoadErrorReport(const std::wstring& description) {
    general_.System().dialogs.ShowMessageBox(ErrorReportText(kLoadErrorSentence, description),
                                             kErrorTitle, kMbOk | kMbIconExclamation);
}

void FrmMain::ShowInstallErrorReport(const std::wstring& description) {
    general_.System().dialogs.ShowMessageBox(ErrorReportText(kInstallErrorSentence, description),
                                             kErrorTitle, kMbOk | kMbIconExclamation);
}

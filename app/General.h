#pragma once
// Program-wide data and the start-up procedure.

#include <array>
#include <memory>
#include <string>

#include "ipc/Fsuipc.h"
#include "platform/Platform.h"

class FrmMain;

// Thrown by the load sequence when the user chooses to end the program at once.
struct ProgramEndRequested {};

class General {
  public:
    explicit General(Platform& platform);
    ~General();

    // Fills SimNames, opens the link, creates and loads the main window, then
    // enables the poll or writes the failure into the caption, and shows the window.
    // Returns false when the program ended during the load (the window never shown).
    bool StartUp();

    // The caption that says why the link did not open: the caption, then the result's text.
    std::wstring CannotConnectCaption(const std::wstring& caption, IpcResult result) const;

    // The one main window; the first use creates it and runs its load sequence.
    FrmMain& frmMain();

    // The link's own table, read where it lies: a copy would only cost the program size.
    static constexpr const std::array<const wchar_t*, kIpcResultCount>& IpcErrorText =
        kIpcResultTexts;
    std::array<std::wstring, kSimNameCount> SimNames;
    std::wstring SessionName;

    // The text of a result code; codes outside the table are shown by number.
    std::wstring ResultText(IpcResult result) const;

    Fsuipc& Link() { return link_; }
    Platform& System() { return platform_; }

  private:
    void FillTables();

    Platform& platform_;
    Fsuipc link_;
    std::unique_ptr<FrmMain> window_;
};

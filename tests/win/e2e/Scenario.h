#pragma once
// One end-to-end run of the real brenvale.exe: a folder with the program and its
// channel table, a TeamSpeak stand-in in a folder whose path has blanks, the
// settings the run starts with, the stand-in simulator, and a user answering the
// program's dialogs through the dialog driver.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/win/driver/DialogDriver.h"

namespace e2e {

constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\Brenvale\\Settings";

// What the settings store holds when the run starts; nullopt: value absent.
struct StartSettings {
    std::optional<std::wstring> teamSpeakPath;
    std::optional<std::wstring> moduleOffer;
};

class Scenario {
  public:
    Scenario();
    ~Scenario();  // ends every process it started and removes its folder

    // Paths of this run.
    const std::wstring& ProgramFolder() const { return programFolder_; }
    const std::wstring& TeamSpeakFolder() const { return teamSpeakFolder_; }

    void WriteChannelTable(const std::string& bytes);
    void PutFile(const std::wstring& path, const std::string& bytes);
    void InstallTeamSpeakStandIn();
    // The set-up machine: TSPath names the stand-in's folder, the offer is settled.
    void SetUpMachine();
    void ApplySettings(const StartSettings& settings);
    static std::wstring ReadSetting(const wchar_t* name);

    void StartSimulator(const std::wstring& arguments);
    // Types a frequency into the stand-in simulator's radio, as a user would.
    void TuneSimulator(const std::wstring& frequency);
    void StartBrenvale();

    // The next dialog of brenvale.exe, read; fails the test on a time-out.
    driver::DialogContents NextDialog(DWORD timeoutMs = 10000);
    void Answer(const driver::DialogContents& dialog, int buttonId);
    void AnswerName(const std::wstring& name);

    HWND MainWindow(DWORD timeoutMs = 10000);
    std::wstring Caption();
    std::wstring LabelText();
    // Waits until the label shows `text`; true when it did within the time-out.
    bool WaitForLabel(const std::wstring& text, DWORD timeoutMs);
    void CloseBrenvale();
    // True when brenvale.exe ended within the time-out; its exit code in `exitCode`.
    bool BrenvaleEnded(DWORD timeoutMs, DWORD& exitCode);
    bool BrenvaleRunning();
    DWORD BrenvaleProcessId() const { return brenvale_.dwProcessId; }

    // The command lines the TeamSpeak stand-in was started with, in order.
    std::vector<std::wstring> TeamSpeakStarts();
    // Waits until at least `count` starts are recorded.
    bool WaitForStarts(size_t count, DWORD timeoutMs);
    // The windows of the TeamSpeak stand-ins still running.
    std::vector<HWND> TeamSpeakWindows();

  private:
    std::wstring root_, programFolder_, teamSpeakFolder_;
    PROCESS_INFORMATION simulator_{}, brenvale_{};
};

std::wstring BuildFolder();  // where the test program and the built programs are
std::wstring Widen(const std::string& utf8);

}  // namespace e2e

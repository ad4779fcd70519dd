#pragma once
// The main window's logic: its state for the run, its load and unload, the frequency
// poll on each timer tick and the channel switch on each change of the label.

#include <cstdint>
#include <memory>
#include <string>

#include "ChannelTable.h"
#include "platform/Platform.h"

class General;

// How often Timer1 polls COM1.
constexpr uint32_t kTimer1IntervalMs = 1500;

class FrmMain : public MainWindowEvents {
  public:
    explicit FrmMain(General& general);
    ~FrmMain() override;

    // Window operations used by StartUp.
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    void EnableTimer1();
    void Show();
    uintptr_t NativeHandle() const;

    // The label: the same text does nothing; a different text repaints and runs
    // lblCom_Change before returning.
    const std::wstring& lblComText() const { return labelText_; }
    void SetLblComText(const std::wstring& text);

    // Event handlers.
    void Form_Load();
    void Form_Unload(int& cancel);
    void Timer1_Timer();
    void lblCom_Change();

    // Load sequence steps.
    bool LoadChannelTable();
    bool LocateTeamSpeak();
    bool OfferModuleInstall();
    void AskSessionName();
    std::wstring BrowseForFolder(const std::wstring& instruction);

    // State held for the run.
    ChannelColumns ChannelTable;
    int16_t ChannelCount = 0;
    std::wstring TeamSpeakDir;

    // MainWindowEvents
    void OnTimerTick() override { Timer1_Timer(); }
    void OnCloseRequest() override;

  private:
    void ShowLoadErrorReport(const std::wstring& description);
    void ShowInstallErrorReport(const std::wstring& description);
    void FindOrPickTeamSpeak();
    void InstallModule();
    void StartTeamSpeak(const std::wstring& commandLine);

    General& general_;
    std::unique_ptr<MainWindowView> view_;
    std::wstring labelText_;
    // While the last TeamSpeak start failed, the caption it replaced.
    bool startFailureShown_ = false;
    std::wstring captionBeforeStartFailure_;
};

// "1", the digit pair of the second byte, ".", the digit pair of the first byte.
std::wstring FrequencyText(uint8_t firstByte, uint8_t secondByte);

// The real brenvale.exe end to end: the stand-in simulator, a TeamSpeak stand-in in a
// folder whose path has blanks, and the program's dialogs answered as a user would.
#include <gtest/gtest.h>

#include <vector>

#include "app/FrmMain.h"
#include "tests/win/WinTestSupport.h"
#include "tools/dialog-driver/PilotMachine.h"

namespace {

using wintest::WaitUntil;

constexpr wchar_t kNamePrompt[] = L"Enter your name for this session";
constexpr DWORD kTickMs = kTimer1IntervalMs;
constexpr DWORD kTwoTicks = 2 * kTickMs + 1500;  // a change shows within two; margin for load

// One box of a conversation: what it says, what the user does, the button pressed.
struct Step {
    const wchar_t* title;  // null: any
    std::wstring text;
    bool whole;  // else a part of the box's text
    int button;
    std::function<void(HWND)> whileOpen = nullptr;  // say, typing into the box
};

// A pilot's machine under the test's own folder, and what the tests do on it.
struct Machine {
    wintest::ScratchFolder folder;  // first, so it goes last
    driver::PilotMachine pilot;
    wintest::Process brenvale, simulator;  // last, so they end first

    explicit Machine(bool withClient) : pilot(folder.path, withClient) {}
    void Start() {
        ASSERT_TRUE(brenvale = wintest::Start(pilot.Program(), L"", driver::kDialogClass));
    }
    void Converse(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            HWND box = driver::WaitForWindow(driver::kDialogClass, Id(), 10000);
            ASSERT_NE(box, nullptr) << "no box saying " << step.text;
            const driver::DialogContents seen = driver::ReadDialog(box);
            EXPECT_TRUE(!step.title || seen.title == step.title) << seen.title;
            EXPECT_TRUE(step.whole ? seen.text == step.text
                                   : seen.text.find(step.text) != std::wstring::npos)
                << seen.text << "\ninstead of\n"
                << step.text;
            if (step.whileOpen) step.whileOpen(box);
            ASSERT_TRUE(driver::PressButton(box, step.button)) << "no button " << step.button;
            ASSERT_TRUE(WaitUntil([box] { return !IsWindowVisible(box); }, 10000));
        }
    }
    DWORD Id() const { return GetProcessId(brenvale.get()); }
    HWND Window() { return driver::WaitForWindow(kMainWindowClass, Id(), 10000); }
    std::wstring Caption() { return WindowText(Window()); }
    std::wstring Label() { return driver::LabelText(Window()); }
    // The exit code within 5 s of the window closed, if asked; STILL_ACTIVE while it runs.
    DWORD ExitCode(bool close) {
        if (close) PostMessageW(Window(), WM_CLOSE, 0, 0);
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(brenvale.get(), 5000);
        GetExitCodeProcess(brenvale.get(), &code);
        return code;
    }
};

// Bytes in the system's code page as the system reads them.
std::wstring FromCodePage(const std::string& bytes) {
    std::wstring text(bytes.size(), L'\0');  // never more characters than bytes
    text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    text.data(), static_cast<int>(text.size())));
    return text;
}

// A pilot's session over a UTF-8 table of 200 records (those tuned first, then fillers up
// to record 200 on 128.00, whose channel the code page cannot carry) and a sparse 700 MB:
// the client goes missing and comes back, the radio is tuned.
TEST(EndToEnd, ASessionStartsTheClientOfEachNewFrequencyFromAHugeTable) {
    Machine machine(true);
    std::string table =
        "\xEF\xBB\xBF"
        "122.80,voice.net,pilot,secret,Approach,Final\r\n"
        "121.50, \"guard.net:8767\",guard,\"pass, word\",Guard Z\xC3\xBCrich,Emergency\r\n";
    for (int record = 3; record < 200; ++record) {
        const std::string hundredths = std::to_string(12400 + 2 * record);  // 124.06 to 127.98
        table += hundredths.substr(0, 3) + "." + hundredths.substr(3) + ",filler,l,p,chan" +
                 std::to_string(record) + ",s\r\n";
    }
    table += "128.00,filler,l,p,Lobby\xEF\xBC\x82 -x \xEF\xBC\x82,s\r\n";  // fullwidth quotes
    ASSERT_TRUE(machine.pilot.WriteTable(table));
    std::filesystem::resize_file(machine.pilot.Table(), 700LL << 20);
    ASSERT_TRUE(machine.simulator =
                    wintest::Start(L"standin-sim.exe", L"--com1 122.80", driver::kSimulatorClass));
    machine.Start();
    const std::wstring client = machine.pilot.Client();
    machine.Converse({{L"Brenvale", kNamePrompt, true, IDOK, [&](HWND box) {
                           DeleteFileW(client.c_str());  // after the program found it
                           driver::TypeIntoEdit(box, L"Pilot One");
                       }}});
    ASSERT_TRUE(WaitUntil([&] { return machine.Label() == L"122.80"; }, kTwoTicks + kTickMs));
    const std::wstring failed = L"Brenvale - Can't start TeamSpeak: ";
    const std::wstring missing = failed + wintest::SystemText(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(WaitUntil([&] { return machine.Caption() == missing; }, 1000)) << machine.Caption();

    machine.pilot.InstallClient();
    const std::wstring refused =
        failed +
        L"The command line holds characters that TeamSpeak cannot read in this system's code "
        L"page: \"\uFF02\" (U+FF02); check the channel table, your name for this session and the "
        L"TeamSpeak folder for them.";
    const std::pair<const wchar_t*, std::wstring> tunes[] = {
        {L"121.50",
         L"guard.net:8767?nickname=Pilot One?loginname=guard?password=pass, word"
         L"?channel=Guard Z\u00FCrich?subchannel=Emergency"},
        {L"128.00", L""},  // refused: nothing starts
        {L"130.00",
         L"voice.net?nickname=Pilot One?loginname=pilot?password=secret"
         L"?channel=Approach?subchannel=Final"},  // not listed: record 1
    };
    HWND radio =
        driver::WaitForWindow(driver::kSimulatorClass, GetProcessId(machine.simulator.get()), 5000);
    size_t started = 0;
    for (const auto& [frequency, argument] : tunes) {
        driver::TuneSimulator(radio, frequency);
        if (argument.empty()) {
            EXPECT_TRUE(WaitUntil([&] { return machine.Caption() == refused; }, kTwoTicks + 2000))
                << machine.Caption();
            continue;
        }
        ASSERT_TRUE(
            WaitUntil([&] { return machine.pilot.Starts().size() > started; }, kTwoTicks + 2000))
            << frequency;
        EXPECT_EQ(machine.pilot.Starts().at(started++), client + L" \"" + argument + L"\"");
        EXPECT_EQ(machine.Caption(), L"Brenvale");
    }
    Sleep(2 * kTickMs + 200);
    const std::vector<std::wstring> starts = machine.pilot.Starts();
    EXPECT_EQ(starts.size(), started) << "an unchanged frequency starts nothing";
    const std::vector<std::string> ansiStarts = machine.pilot.AnsiStarts();
    ASSERT_EQ(ansiStarts.size(), starts.size());
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(FromCodePage(ansiStarts[i]), starts[i]) << "the 8-bit client reads the line";
    }

    EXPECT_EQ(machine.ExitCode(true), 0u);
    const std::vector<HWND> clients = driver::PilotMachine::ClientWindows();
    EXPECT_EQ(clients.size(), started);
    for (HWND window : clients) EXPECT_TRUE(IsIconic(window)) << "started minimised";
}

// A first start without the client: the boxes and the picker as Windows shows them; No to
// trying again ends the program.
TEST(EndToEnd, WithoutTheClientNoToTryingAgainEndsTheProgram) {
    Machine machine(false);
    ASSERT_TRUE(machine.pilot.WriteTable("122.80,a,b,c,d,e\r\n"));
    machine.Start();
    machine.Converse(
        {{L"TeamSpeak Required", L"cannot locate you TeamSpeak installation.", false, IDOK},
         {nullptr, L"Select the directory that TeamSpeak is installed in.", false, IDCANCEL},
         {L"TeamSpeak Required", L"unable to locate TeamSpeak in the location", false, IDNO}});
    EXPECT_NE(machine.ExitCode(false), STILL_ACTIVE);
}

}  // namespace

// The real brenvale.exe end to end: the stand-in simulator, a TeamSpeak stand-in in a
// folder whose path has blanks, and the program's dialogs answered as a user would.
#include <gtest/gtest.h>

#include <vector>

#include "tests/win/WinTestSupport.h"

namespace {

using wintest::SystemText;
using wintest::WaitUntil;

constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\Brenvale\\Settings";
constexpr wchar_t kNamePrompt[] = L"Enter your name for this session";
constexpr DWORD kTickMs = 1500;
constexpr DWORD kTwoTicks = 2 * kTickMs + 1500;  // a change shows within two; margin for load

enum Match : bool { kPart, kWhole };

// One box of a conversation: what it says, what the user does, the button pressed.
struct Step {
    const wchar_t* title;  // null: any
    std::wstring text;
    Match match;
    int button;
    std::wstring typed = L"";
    std::function<void()> whileOpen = nullptr;
};

// The TeamSpeak stand-ins' windows; with `end`, their processes are ended.
std::vector<HWND> Clients(bool end = false) {
    std::vector<HWND> windows;
    for (HWND window = nullptr;
         (window = FindWindowExW(nullptr, window, L"BrenvaleTeamSpeakStandIn", nullptr));) {
        windows.push_back(window);
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        HANDLE process = end ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id) : nullptr;
        if (process && TerminateProcess(process, 0)) WaitForSingleObject(process, 5000);
        if (process) CloseHandle(process);
    }
    return windows;
}

// A machine to run the program on: the program in a folder of its own, the client
// beside it, whose folder is stored when it is there; `offer` settles the module offer.
class Machine {
  public:
    Machine(bool withClient, const wchar_t* offer) {
        Clients(true);
        CreateDirectoryW(Program().c_str(), nullptr);
        EXPECT_TRUE(CopyFileW((wintest::BuildFolder() + L"\\brenvale.exe").c_str(),
                              (Program() + L"\\brenvale.exe").c_str(), FALSE));
        RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
        if (withClient) InstallClient();
        if (withClient) Store(L"TSPath", Client());
        if (offer) Store(L"FSUIPCINST", offer);
    }
    ~Machine() {
        brenvale.End();
        simulator.End();
        Clients(true);
        RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    }

    std::wstring Program() const { return folder / L"Brenvale"; }
    std::wstring Table() const { return Program() + L"\\brenvale.txt"; }
    std::wstring Client() const { return folder / L"Team Speak 2"; }
    void InstallClient() {
        CreateDirectoryW(Client().c_str(), nullptr);
        EXPECT_TRUE(
            CopyFileW((wintest::BuildFolder() + L"\\teamspeak-standin\\teamspeak.exe").c_str(),
                      (Client() + L"\\teamspeak.exe").c_str(), FALSE));
    }
    static void Store(const wchar_t* name, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    static std::wstring Stored(const wchar_t* name) {
        wchar_t value[1024];
        DWORD size = sizeof value;
        return RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value,
                            &size) == ERROR_SUCCESS
                   ? value
                   : L"<absent>";
    }

    DWORD Id() const { return brenvale.info.dwProcessId; }
    void Start() { ASSERT_TRUE(brenvale.Start(Program() + L"\\brenvale.exe", L"")); }
    void Converse(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            HWND box = driver::WaitForWindow(driver::kDialogClass, Id(), 10000);
            ASSERT_NE(box, nullptr) << "no box saying " << step.text;
            const driver::DialogContents seen = driver::ReadDialog(box);
            EXPECT_TRUE(!step.title || seen.title == step.title) << seen.title;
            const bool said = step.match == kWhole
                                  ? seen.text == step.text
                                  : seen.text.find(step.text) != std::wstring::npos;
            EXPECT_TRUE(said) << seen.text << "\ninstead of\n" << step.text;
            driver::TypeIntoEdit(box, step.typed);
            if (step.whileOpen) step.whileOpen();
            ASSERT_TRUE(driver::PressButton(box, step.button)) << "no button " << step.button;
            ASSERT_TRUE(WaitUntil([box] { return !IsWindowVisible(box); }, 10000));
        }
    }
    HWND Window() { return driver::WaitForWindow(driver::kBrenvaleClass, Id(), 10000); }
    std::wstring Caption() { return driver::WindowText(Window()); }
    std::wstring Label() { return driver::LabelText(Window()); }
    bool Ended() { return WaitForSingleObject(brenvale.info.hProcess, 5000) == WAIT_OBJECT_0; }
    DWORD CloseAndExitCode() {
        PostMessageW(Window(), WM_CLOSE, 0, 0);
        DWORD code = STILL_ACTIVE;
        if (Ended()) GetExitCodeProcess(brenvale.info.hProcess, &code);
        return code;
    }
    // The command lines the client was started with, in order (it writes UTF-8, which
    // the path type converts).
    std::vector<std::wstring> Starts() {
        std::ifstream log((Client() + L"\\teamspeak-log.txt").c_str(), std::ios::binary);
        std::vector<std::wstring> starts;
        for (std::string line; std::getline(log, line);) {
            starts.push_back(std::filesystem::u8path(line.substr(0, line.find('\r'))).wstring());
        }
        return starts;
    }

    wintest::ScratchFolder folder;  // first, so it goes last
    wintest::ChildProcess brenvale, simulator;
};

// One pilot's session over 200 records (those tuned first, fillers up to record 200 on
// 128.00) and a sparse 700 MB after them: the client goes missing after it was found and
// comes back, and the radio is tuned through the table.
TEST(EndToEnd, ASessionStartsTheClientOfEachNewFrequencyFromAHugeTable) {
    Machine machine(true, L"1");
    std::string table =
        "122.80,voice.example.net,pilot,secret,Approach,Final\r\n"
        "123.45,voice.example.net,pilot,secret,Tower,Ground\r\n"
        "121.50, \"guard.example.net:8767\",guard,\"pass, word\",Guard,Emergency\r\n";
    for (int record = 4; record <= 200; ++record) {
        const std::string hundredths = std::to_string(12400 + 2 * record);  // 124.08 to 128.00
        table += hundredths.substr(0, 3) + "." + hundredths.substr(3) +
                 ",filler.example.net,pilot,secret,chan" + std::to_string(record) + ",sub\r\n";
    }
    wintest::WriteBytes(machine.Table(), table);
    std::filesystem::resize_file(machine.Table(), 700LL << 20);
    ASSERT_TRUE(machine.simulator.StartSimulator(L"--com1 122.80"));
    machine.Start();
    const std::wstring client = machine.Client() + L"\\teamspeak.exe";
    machine.Converse({{L"Brenvale", kNamePrompt, kWhole, IDOK, L"Pilot One",
                       [&] { DeleteFileW(client.c_str()); }}});
    RECT area{};
    GetClientRect(machine.Window(), &area);
    EXPECT_EQ(area.right, 248);
    EXPECT_EQ(area.bottom, 55);
    ASSERT_TRUE(WaitUntil([&] { return machine.Label() == L"122.80"; }, kTwoTicks + kTickMs));
    const std::wstring failed =
        L"Brenvale - Can't start TeamSpeak: " + SystemText(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(WaitUntil([&] { return machine.Caption() == failed; }, 1000)) << machine.Caption();

    machine.InstallClient();
    const struct {
        const wchar_t* frequency;
        std::wstring argument;
    } tunes[] = {
        {L"121.50",
         L"guard.example.net:8767?nickname=Pilot One?loginname=guard"
         L"?password=pass, word?channel=Guard?subchannel=Emergency"},
        {L"128.00",
         L"filler.example.net?nickname=Pilot One?loginname=pilot?password=secret"
         L"?channel=chan200?subchannel=sub"},
        {L"130.00",
         L"voice.example.net?nickname=Pilot One?loginname=pilot?password=secret"
         L"?channel=Approach?subchannel=Final"},  // not listed: record 1
    };
    for (size_t i = 0; i < std::size(tunes); ++i) {
        driver::TuneSimulator(driver::WaitForWindow(driver::kSimulatorClass,
                                                    machine.simulator.info.dwProcessId, 5000),
                              tunes[i].frequency);
        ASSERT_TRUE(WaitUntil([&] { return machine.Starts().size() > i; }, kTwoTicks + 2000))
            << tunes[i].frequency;
        EXPECT_EQ(machine.Starts().at(i), client + L" \"" + tunes[i].argument + L"\"");
        EXPECT_EQ(machine.Label(), tunes[i].frequency);
        EXPECT_EQ(machine.Caption(), L"Brenvale");
    }
    Sleep(2 * kTickMs + 200);
    EXPECT_EQ(machine.Starts().size(), std::size(tunes)) << "an unchanged frequency starts nothing";

    EXPECT_EQ(machine.CloseAndExitCode(), 0u);
    const std::vector<HWND> clients = Clients();
    EXPECT_EQ(clients.size(), std::size(tunes));
    for (HWND window : clients) EXPECT_TRUE(IsIconic(window)) << "started minimised";
}

// Starts without the simulator: each conversation, then whether the program ends, or
// stays up polling nothing until it is closed; and what it stored.
TEST(EndToEnd, StartsWithoutSimulatorConverseThenEndOrStayUpAndStoreTheAnswers) {
    const std::vector<Step> loadReport = {
        {L"Error",
         L"An error occured while Brenvale was loading it's channel data file and locating "
         L"TeamSpeak. Brenvale will continue, however may not function correctly.\r\n\r\nIf "
         L"you are unable to solve the problem, please contact the developer with the following "
         L"error message: \r\n" +
             SystemText(ERROR_FILE_NOT_FOUND),
         kWhole, IDOK}};
    const std::vector<Step> clientNotFound = {
        {L"TeamSpeak Required", L"cannot locate you TeamSpeak installation.", kPart, IDOK},
        {nullptr, L"Select the directory that TeamSpeak is installed in.", kPart, IDCANCEL},
        {L"TeamSpeak Required", L"unable to locate TeamSpeak in the location", kPart, IDNO}};
    const std::vector<Step> offerDeclined = {
        {L"FSU IPC Installation", L"Do you wish to install it now?", kPart, IDNO},
        {L"FSU IPC Installation", L"asked about this again", kPart, IDNO},
        {L"Brenvale", kNamePrompt, kWhole, IDOK, L"Ann"}};
    const struct {
        const char* name;
        bool withClient, withTable;
        const std::vector<Step>& steps;
        bool staysUp;
        const wchar_t* offerStored;  // null: absent
    } cases[] = {
        {"no table: the load error report, and nothing asked after it", true, false, loadReport,
         true, nullptr},
        {"no client, the picker cancelled, not tried again", false, true, clientNotFound, false,
         nullptr},
        {"the module offer declined for good", true, true, offerDeclined, true, L"1"},
    };
    for (const auto& start : cases) {
        SCOPED_TRACE(start.name);
        Machine machine(start.withClient, nullptr);
        if (start.withTable) wintest::WriteBytes(machine.Table(), "122.80,a,b,c,d,e\r\n");
        machine.Start();
        machine.Converse(start.steps);
        if (start.staysUp) {
            EXPECT_EQ(driver::WaitForWindow(driver::kDialogClass, machine.Id(), 500), nullptr);
            EXPECT_EQ(machine.Caption(),
                      L"BrenvaleCan't connect: Cannot link to FSUIPC or WideClient");
            Sleep(2 * kTickMs);
            EXPECT_EQ(machine.Label(), L"");
            EXPECT_TRUE(machine.Starts().empty());
            EXPECT_EQ(machine.CloseAndExitCode(), 0u);
        } else {
            EXPECT_TRUE(machine.Ended());
        }
        EXPECT_EQ(Machine::Stored(L"TSPath"), start.withClient ? machine.Client() : L"<absent>");
        EXPECT_EQ(Machine::Stored(L"FSUIPCINST"),
                  start.offerStored ? start.offerStored : L"<absent>");
    }
}

}  // namespace

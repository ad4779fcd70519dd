// The real brenvale.exe end to end: the stand-in simulator, a TeamSpeak stand-in in a
// folder whose path has blanks, and the program's dialogs answered as a user would.
#include <gtest/gtest.h>

#include "Scenario.h"

namespace e2e {
namespace {

constexpr DWORD kTickMs = 1500;
// A change shows within two ticks; the margin covers a busy machine.
constexpr DWORD kTwoTicks = 2 * kTickMs + 1500;

const char kTable[] =
    "122.80,voice.example.net,pilot,secret,Approach,Final\r\n"
    "123.45,voice.example.net,pilot,secret,Tower,Ground\r\n"
    "121.50, \"guard.example.net:8767\",guard,\"pass, word\",Guard,Emergency\r\n";

std::wstring SystemText(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = text ? text : L"";
    LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r')) result.pop_back();
    return result;
}

std::wstring Expected(const Scenario& run, const std::wstring& argument) {
    return run.TeamSpeakFolder() + L"\\teamspeak.exe \"" + argument + L"\"";
}

// Without the simulator and without the channel table: the report, then the window with
// the reason in its caption, up and polling nothing until it is closed.
TEST(EndToEnd, WithoutSimulatorOrTableTheProgramReportsAndStaysUp) {
    Scenario run;
    run.SetUpMachine();
    run.StartBrenvale();
    driver::DialogContents report = run.NextDialog();
    EXPECT_EQ(report.title, L"Error");
    EXPECT_EQ(report.text,
              L"An error occured while Brenvale was loading it's channel data file and locating "
              L"TeamSpeak. Brenvale will continue, however may not function correctly.\r\n\r\n"
              L"If you are unable to solve the problem, please contact the developer with the "
              L"following error message: \r\n" +
                  SystemText(ERROR_FILE_NOT_FOUND));
    run.Answer(report, IDOK);
    // No name question follows: the load stopped at the report.
    EXPECT_NE(run.MainWindow(), nullptr);
    EXPECT_EQ(driver::WaitForDialog(run.BrenvaleProcessId(), 500), nullptr);
    EXPECT_EQ(run.Caption(), L"BrenvaleCan't connect: Cannot link to FSUIPC or WideClient");
    driver::Pause(2 * kTickMs);
    EXPECT_TRUE(run.BrenvaleRunning());
    EXPECT_EQ(run.LabelText(), L"");
    EXPECT_TRUE(run.TeamSpeakStarts().empty());

    run.CloseBrenvale();
    DWORD exitCode = 1;
    EXPECT_TRUE(run.BrenvaleEnded(5000, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// One pilot's session: the client goes missing after it was found, comes back, and the
// radio is tuned through listed and unlisted frequencies.
TEST(EndToEnd, TuningFollowsTheRadioAndStartsTheMatchingChannel) {
    Scenario run;
    run.SetUpMachine();
    run.WriteChannelTable(kTable);
    run.StartSimulator(L"--com1 122.80");
    run.StartBrenvale();
    driver::DialogContents nameBox = run.NextDialog();
    EXPECT_EQ(nameBox.title, L"Brenvale");
    EXPECT_EQ(nameBox.text, L"Enter your name for this session");
    const std::wstring client = run.TeamSpeakFolder() + L"\\teamspeak.exe";
    ASSERT_TRUE(DeleteFileW(client.c_str()));
    driver::TypeIntoEdit(nameBox.window, L"Pilot One");
    run.Answer(nameBox, IDOK);

    HWND window = run.MainWindow();
    ASSERT_NE(window, nullptr);
    RECT area{};
    GetClientRect(window, &area);
    EXPECT_EQ(area.right - area.left, 248);
    EXPECT_EQ(area.bottom - area.top, 55);

    // The first tick shows the frequency; the start fails, and the program goes on.
    ASSERT_TRUE(run.WaitForLabel(L"122.80", kTwoTicks + kTickMs));
    driver::Pause(500);
    EXPECT_TRUE(run.BrenvaleRunning());
    EXPECT_EQ(run.Caption(),
              L"Brenvale - Can't start TeamSpeak: " + SystemText(ERROR_FILE_NOT_FOUND));

    // Once the client is back, each change starts it once with the record of the new
    // frequency, and the caption is restored.
    run.InstallTeamSpeakStandIn();
    run.TuneSimulator(L"121.50");
    ASSERT_TRUE(run.WaitForStarts(1, kTwoTicks + 2000));
    EXPECT_EQ(run.Caption(), L"Brenvale");
    EXPECT_EQ(run.TeamSpeakStarts().at(0),
              Expected(run,
                       L"guard.example.net:8767?nickname=Pilot One?loginname=guard"
                       L"?password=pass, word?channel=Guard?subchannel=Emergency"));

    // A frequency with no record takes record 1; an unchanged one starts nothing.
    run.TuneSimulator(L"130.00");
    ASSERT_TRUE(run.WaitForLabel(L"130.00", kTwoTicks));
    ASSERT_TRUE(run.WaitForStarts(2, 5000));
    EXPECT_EQ(run.TeamSpeakStarts().at(1),
              Expected(run,
                       L"voice.example.net?nickname=Pilot One?loginname=pilot"
                       L"?password=secret?channel=Approach?subchannel=Final"));
    driver::Pause(2 * kTickMs + 200);
    EXPECT_EQ(run.TeamSpeakStarts().size(), 2u);

    // Closing Brenvale ends it cleanly and leaves the clients running, started minimised.
    run.CloseBrenvale();
    DWORD exitCode = 1;
    ASSERT_TRUE(run.BrenvaleEnded(5000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    const std::vector<HWND> clients = run.TeamSpeakWindows();
    EXPECT_EQ(clients.size(), 2u);
    for (HWND client : clients) EXPECT_TRUE(IsIconic(client));
}

TEST(EndToEnd, FirstStartWithoutTeamSpeakEndsOnNo) {
    Scenario run;
    run.ApplySettings({});
    run.WriteChannelTable(kTable);
    run.StartBrenvale();

    driver::DialogContents box1 = run.NextDialog();
    EXPECT_EQ(box1.title, L"TeamSpeak Required");
    EXPECT_EQ(box1.text,
              L"Brenvale cannot locate you TeamSpeak installation. Please click OK and follow "
              L"the instructions to locate it manually.");
    run.Answer(box1, IDOK);

    driver::DialogContents picker = run.NextDialog();
    EXPECT_NE(picker.text.find(L"Select the directory that TeamSpeak is installed in."),
              std::wstring::npos);
    run.Answer(picker, IDCANCEL);

    driver::DialogContents box2 = run.NextDialog();
    EXPECT_EQ(box2.title, L"TeamSpeak Required");
    EXPECT_EQ(box2.text,
              L"Sorry, Brenvale was unable to locate TeamSpeak in the location you supplied. Do "
              L"you wish to try again?");
    run.Answer(box2, IDNO);

    DWORD exitCode = 1;
    EXPECT_TRUE(run.BrenvaleEnded(5000, exitCode));
    EXPECT_EQ(run.ReadSetting(L"TSPath"), L"<absent>");
}

TEST(EndToEnd, DecliningTheModuleOfferForGoodIsRemembered) {
    Scenario run;
    run.InstallTeamSpeakStandIn();
    run.ApplySettings({run.TeamSpeakFolder(), std::nullopt});
    run.WriteChannelTable(kTable);
    run.StartBrenvale();

    driver::DialogContents box3 = run.NextDialog();
    EXPECT_EQ(box3.title, L"FSU IPC Installation");
    EXPECT_NE(box3.text.find(L"Do you wish to install it now?"), std::wstring::npos);
    run.Answer(box3, IDNO);

    driver::DialogContents box6 = run.NextDialog();
    EXPECT_EQ(box6.text,
              L"You have selected to skip installing fsuipc.dll. Do you want to be asked about "
              L"this again when you next run Brenvale?");
    run.Answer(box6, IDNO);

    run.AnswerName(L"Ann");
    EXPECT_NE(run.MainWindow(), nullptr);
    EXPECT_EQ(run.ReadSetting(L"FSUIPCINST"), L"1");
    EXPECT_EQ(run.ReadSetting(L"TSPath"), run.TeamSpeakFolder());
}

}  // namespace
}  // namespace e2e

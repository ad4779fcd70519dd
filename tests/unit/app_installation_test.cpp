// The conversations at start: finding TeamSpeak, the module offer and the session name.

#include "FakePlatform.h"

namespace {

const std::wstring kBox1 =
    L"Brenvale cannot locate you TeamSpeak installation. Please click OK and follow the "
    L"instructions to locate it manually.";
const std::wstring kBox2 =
    L"Sorry, Brenvale was unable to locate TeamSpeak in the location you supplied. Do you wish "
    L"to try again?";
const std::wstring kBox3 =
    L"To work correctly, Brenvale requires fsuipc.dll to be installed in your FlightSim modules "
    L"folder. As this is the first time you have used Brenvale it may not yet be installed. Do "
    L"you wish to install it now?";
const std::wstring kBox4 =
    L"fsuipc.dll has been installed successfully. You will need to restart Flight Simulator.";
const std::wstring kBox5 =
    L"Sorry, Brenvale was unable to locate a FlightSim installation in the location you "
    L"supplied. Do you wish to try again?";
const std::wstring kBox6 =
    L"You have selected to skip installing fsuipc.dll. Do you want to be asked about this again "
    L"when you next run Brenvale?";
const std::wstring kPickTeamSpeak = L"Select the directory that TeamSpeak is installed in.";
const std::wstring kPickFlightSim = L"Select the directory that FlightSim is installed in.";
const std::wstring kInstallError =
    L"An error occured while Brenvale was installing FSUIPC.DLL. Brenvale will continue, "
    L"however may not function correctly.\r\n\r\nIf you are unable to solve the problem, "
    L"please contact the developer with the following error message: \r\n";
const std::wstring kLoadError =
    L"An error occured while Brenvale was loading it's channel data file and locating "
    L"TeamSpeak. Brenvale will continue, however may not function correctly.\r\n\r\nIf you "
    L"are unable to solve the problem, please contact the developer with the following error "
    L"message: \r\n";
const std::wstring kTeamSpeakTitle = L"TeamSpeak Required";
const std::wstring kInstallTitle = L"FSU IPC Installation";

// A machine where nothing is known yet: no stored TeamSpeak folder, no module offer settled.
struct FirstStart : FakeApp {
    FirstStart() {
        sys.settings.values.clear();
        sys.files.Add(L"C:\\Brenvale\\fsuipc.dll", "module");
        sys.files.Add(L"E:\\TS\\teamspeak.exe");
        sys.files.Add(L"F:\\FS2000\\fs2000.exe");
    }
    void ExpectBoxes(const std::vector<ShownBox>& expected) {
        const auto& boxes = sys.dialogs.boxes;
        ASSERT_EQ(boxes.size(), expected.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(boxes[i].text, expected[i].text) << "box " << i;
            EXPECT_EQ(boxes[i].title, expected[i].title) << "box " << i;
            EXPECT_EQ(boxes[i].flags, expected[i].flags) << "box " << i;
        }
    }
};

TEST(Installation, ASetUpMachineOnlyAsksTheName) {
    FakeApp app;
    ASSERT_TRUE(app.general.StartUp());
    EXPECT_TRUE(app.sys.dialogs.boxes.empty());
    EXPECT_TRUE(app.sys.dialogs.pickers.empty());
    EXPECT_EQ(app.sys.settings.saves, 0);
    EXPECT_EQ(app.Window().TeamSpeakDir, FakeSystem::kTeamSpeakDir);
    ASSERT_EQ(app.sys.dialogs.inputPrompts.size(), 1u);
    EXPECT_EQ(app.sys.dialogs.inputPrompts[0], L"Enter your name for this session|Brenvale");
    EXPECT_EQ(app.general.SessionName, L"Pilot");
}

TEST(Installation, FirstStartPicksTeamSpeakAndInstallsTheModule) {
    FirstStart app;
    app.sys.dialogs.picks = {L"E:\\TS", L"F:\\FS2000"};
    app.sys.dialogs.answers = {kIdYes};
    ASSERT_TRUE(app.general.StartUp());

    app.ExpectBoxes(
        {{kBox1, kTeamSpeakTitle, 48}, {kBox3, kInstallTitle, 4}, {kBox4, kInstallTitle, 64}});
    EXPECT_EQ(app.sys.dialogs.pickers, (std::vector<std::wstring>{kPickTeamSpeak, kPickFlightSim}));
    EXPECT_EQ(app.sys.dialogs.pickerOwners[0], FakeMainWindow::kHandle);
    EXPECT_EQ(app.Window().TeamSpeakDir, L"E:\\TS");
    EXPECT_EQ(app.sys.settings.Value(L"TSPath"), L"E:\\TS");
    EXPECT_EQ(app.sys.settings.Value(L"FSUIPCINST"), L"1");
    EXPECT_EQ(app.sys.files.contents[L"F:\\FS2000\\Modules\\fsuipc.dll"], "module");
    EXPECT_EQ(app.general.SessionName, L"Pilot");
    EXPECT_TRUE(app.sys.Window().shown);
}

TEST(Installation, TheDefaultFolderIsFoundWithoutAsking) {
    FirstStart app;
    app.sys.settings.Set(L"FSUIPCINST", L"0");  // any text settles the offer
    app.sys.files.Add(L"C:\\Program Files\\Teamspeak2_RC2\\teamspeak.exe");
    app.Window();
    EXPECT_TRUE(app.sys.dialogs.boxes.empty());
    EXPECT_EQ(app.sys.settings.Value(L"TSPath"), L"C:\\Program Files\\Teamspeak2_RC2");
    EXPECT_EQ(app.Window().TeamSpeakDir, L"C:\\Program Files\\Teamspeak2_RC2");
}

TEST(Installation, AStoredFolderThatLostTheClientIsReplacedByThePick) {
    FirstStart app;
    app.sys.settings.Set(L"TSPath", L"D:\\Old");
    app.sys.settings.Set(L"FSUIPCINST", L"1");
    app.sys.dialogs.picks = {L"E:\\TS"};
    app.Window();
    app.ExpectBoxes({{kBox1, kTeamSpeakTitle, 48}});
    EXPECT_EQ(app.sys.settings.Value(L"TSPath"), L"E:\\TS");
}

TEST(Installation, AWrongPickAsksAgainAndACancelledPickerTestsTheBareName) {
    FirstStart app;
    app.sys.settings.Set(L"FSUIPCINST", L"1");
    app.sys.dialogs.picks = {L"E:\\Wrong", L"", L"E:\\TS"};
    app.sys.dialogs.answers = {kIdYes, kIdYes};
    app.Window();
    app.ExpectBoxes(
        {{kBox1, kTeamSpeakTitle, 48}, {kBox2, kTeamSpeakTitle, 4}, {kBox2, kTeamSpeakTitle, 4}});
    const auto& tested = app.sys.files.existenceTests;
    EXPECT_NE(std::find(tested.begin(), tested.end(), L"\\teamspeak.exe"), tested.end());
    EXPECT_EQ(app.sys.settings.Value(L"TSPath"), L"E:\\TS");
}

TEST(Installation, APickedDriveRootKeepsItsBackslash) {
    FirstStart app;
    app.sys.settings.Set(L"FSUIPCINST", L"1");
    app.sys.files.Add(L"G:\\\\teamspeak.exe");
    app.sys.dialogs.picks = {L"G:\\"};
    app.Window();
    EXPECT_EQ(app.sys.settings.Value(L"TSPath"), L"G:\\");
}

TEST(Installation, NoToTryingAgainEndsAtOnceAndReleasesTheLink) {
    FirstStart app;
    app.sys.dialogs.picks = {L"E:\\Wrong"};
    app.sys.dialogs.answers = {kIdNo};
    EXPECT_FALSE(app.general.StartUp());

    EXPECT_TRUE(app.general.WindowExists());
    EXPECT_FALSE(app.sys.Window().shown);
    EXPECT_FALSE(app.sys.Window().timerEnabled);
    EXPECT_TRUE(app.LinkReleased());
    EXPECT_EQ(app.sys.settings.saves, 0);
    EXPECT_EQ(app.sys.IndexOf("settings:get FSUIPCINST"), -1);
    EXPECT_TRUE(app.sys.dialogs.inputPrompts.empty());
}

TEST(Installation, DecliningTheOfferAsksWhetherToAskAgain) {
    for (const int askAgain : {kIdYes, kIdNo}) {
        FirstStart app;
        app.sys.settings.Set(L"TSPath", L"E:\\TS");
        app.sys.dialogs.answers = {kIdNo, askAgain};
        app.Window();
        app.ExpectBoxes({{kBox3, kInstallTitle, 4}, {kBox6, kInstallTitle, 36}});
        EXPECT_EQ(app.sys.settings.Value(L"FSUIPCINST"), askAgain == kIdYes ? L"<absent>" : L"1");
        EXPECT_EQ(app.general.SessionName, L"Pilot");
    }
}

TEST(Installation, AFolderWithoutTheSimulatorAsksAgainOrEnds) {
    FirstStart app;
    app.sys.settings.Set(L"TSPath", L"E:\\TS");
    app.sys.files.Add(L"F:\\FS9\\fs9.exe");
    app.sys.dialogs.picks = {L"F:\\FS9", L"F:\\FS2000"};
    app.sys.dialogs.answers = {kIdYes, kIdYes};
    ASSERT_TRUE(app.general.StartUp());
    app.ExpectBoxes(
        {{kBox3, kInstallTitle, 4}, {kBox5, kInstallTitle, 4}, {kBox4, kInstallTitle, 64}});
    EXPECT_EQ(app.sys.settings.Value(L"FSUIPCINST"), L"1");

    FirstStart ending;
    ending.sys.settings.Set(L"TSPath", L"E:\\TS");
    ending.sys.dialogs.picks = {L"F:\\FS9"};
    ending.sys.dialogs.answers = {kIdYes, kIdNo};
    EXPECT_FALSE(ending.general.StartUp());
    EXPECT_FALSE(ending.sys.Window().shown);
    EXPECT_TRUE(ending.LinkReleased());
    EXPECT_EQ(ending.sys.settings.Value(L"FSUIPCINST"), L"<absent>");
}

TEST(Installation, AFailedCopyIsReportedAndSkipsTheName) {
    FirstStart app;
    app.sys.settings.Set(L"TSPath", L"E:\\TS");
    app.sys.files.contents.erase(L"C:\\Brenvale\\fsuipc.dll");
    app.sys.dialogs.picks = {L"F:\\FS2000"};
    app.sys.dialogs.answers = {kIdYes};
    ASSERT_TRUE(app.general.StartUp());
    app.ExpectBoxes(
        {{kBox3, kInstallTitle, 4}, {kInstallError + FakeFiles::kNotFound, L"Error", 48}});
    EXPECT_EQ(app.sys.settings.Value(L"FSUIPCINST"), L"<absent>");
    EXPECT_EQ(app.general.SessionName, L"");
    EXPECT_TRUE(app.sys.dialogs.inputPrompts.empty());
    EXPECT_TRUE(app.sys.Window().shown);
}

TEST(Installation, ACancelledNameIsEmptyAndAFailedNameBoxIsReported) {
    FakeApp cancelled;
    cancelled.sys.dialogs.nameTyped = L"";
    ASSERT_TRUE(cancelled.general.StartUp());
    EXPECT_EQ(cancelled.general.SessionName, L"");
    EXPECT_TRUE(cancelled.sys.dialogs.boxes.empty());

    FakeApp failed;
    failed.sys.dialogs.inputFailure = L"Not enough memory.";
    ASSERT_TRUE(failed.general.StartUp());
    ASSERT_EQ(failed.sys.dialogs.boxes.size(), 1u);
    EXPECT_EQ(failed.sys.dialogs.boxes[0].text, kInstallError + L"Not enough memory.");
    EXPECT_TRUE(failed.sys.Window().shown);
}

TEST(Installation, AFailureWhileLocatingTeamSpeakIsALoadErrorAndStopsTheLoad) {
    FakeApp app;
    app.sys.files.existsFailure = L"The device is not ready.";
    ASSERT_TRUE(app.general.StartUp());
    ASSERT_EQ(app.sys.dialogs.boxes.size(), 1u);
    EXPECT_EQ(app.sys.dialogs.boxes[0].text, kLoadError + L"The device is not ready.");
    EXPECT_EQ(app.sys.dialogs.boxes[0].title, L"Error");
    EXPECT_EQ(app.sys.dialogs.boxes[0].flags, 48u);
    EXPECT_EQ(app.Window().TeamSpeakDir, FakeSystem::kTeamSpeakDir);  // as read before the failure
    EXPECT_EQ(app.sys.IndexOf("settings:get FSUIPCINST"), -1);
    EXPECT_EQ(app.general.SessionName, L"");
    EXPECT_TRUE(app.sys.Window().shown);
}

TEST(Installation, ARefusedSettingsWriteIsALoadError) {
    FirstStart app;
    app.sys.files.Add(L"C:\\Program Files\\Teamspeak2_RC2\\teamspeak.exe");
    app.sys.settings.saveFailure = L"Access is denied.";
    app.Window();
    ASSERT_EQ(app.sys.dialogs.boxes.size(), 1u);
    EXPECT_EQ(app.sys.dialogs.boxes[0].text, kLoadError + L"Access is denied.");
    EXPECT_EQ(app.Window().TeamSpeakDir, L"C:\\Program Files\\Teamspeak2_RC2");
    EXPECT_TRUE(app.sys.dialogs.inputPrompts.empty());
}

}  // namespace

// The conversations at start: finding TeamSpeak and the module offer.

#include "FakePlatform.h"

namespace {

using namespace shown;
using Strings = std::vector<std::string>;

const std::wstring kDefaultTeamSpeak = L"C:\\Program Files\\Teamspeak2_RC2";
const ShownBox kLocate{kCannotLocateTeamSpeak, kTeamSpeakTitle, 48};
const ShownBox kRetryTeamSpeak{kTeamSpeakNotInPick, kTeamSpeakTitle, 4};
const ShownBox kOffer{kOfferInstall, kInstallTitle, 4};
const ShownBox kModuleInstalled{shown::kInstalled, kInstallTitle, 64};
const ShownBox kRetrySim{kSimulatorNotInPick, kInstallTitle, 4};

TEST(Installation, FirstStartPicksTeamSpeakAndAsksAgainUntilAFolderHoldsTheSimulator) {
    FirstStart app;
    app.sys.Add(L"F:\\FS9\\fs9.exe");
    app.Script({L"E:\\TS", L"F:\\FS9", L"F:\\FS2000"}, {kIdYes, kIdYes});
    ASSERT_TRUE(app.general.StartUp());

    app.ExpectBoxes({kLocate, kOffer, kRetrySim, kModuleInstalled});
    const std::string sim = "18193 Select the directory that FlightSim is installed in.";
    // Owned by the main window (0x4711).
    EXPECT_EQ(app.sys.Events("dialog:pick "),
              (Strings{"18193 Select the directory that TeamSpeak is installed in.", sim, sim}));
    EXPECT_EQ(app.Window().TeamSpeakDir, L"E:\\TS");
    EXPECT_EQ(app.sys.Value(L"TSPath"), L"E:\\TS");
    EXPECT_EQ(app.sys.Value(L"FSUIPCINST"), L"1");
    EXPECT_EQ(app.sys.contents[L"F:\\FS2000\\Modules\\fsuipc.dll"], "module");
    EXPECT_EQ(app.general.SessionName, L"Pilot");
    EXPECT_TRUE(app.sys.Window().shown);
}

TEST(Installation, TheTeamSpeakFolderComesFromTheDefaultOrThePick) {
    const struct {
        const wchar_t* stored;  // TSPath before the start, or none
        std::wstring extraClient;
        std::deque<std::wstring> picks;
        std::deque<int> answers;
        std::vector<ShownBox> boxes;
        std::wstring found;
    } cases[] = {
        {nullptr, kDefaultTeamSpeak + L"\\teamspeak.exe", {}, {}, {}, kDefaultTeamSpeak},
        {L"D:\\Old", L"", {L"E:\\TS"}, {}, {kLocate}, L"E:\\TS"},
        {nullptr, L"G:\\\\teamspeak.exe", {L"G:\\"}, {}, {kLocate}, L"G:\\"},
        // A wrong pick asks again; so does a cancelled picker, after testing the bare name.
        {nullptr,
         L"",
         {L"E:\\Wrong", L"", L"E:\\TS"},
         {kIdYes, kIdYes},
         {kLocate, kRetryTeamSpeak, kRetryTeamSpeak},
         L"E:\\TS"},
    };
    for (const auto& example : cases) {
        FirstStart app(example.stored);
        app.sys.Set(L"FSUIPCINST", L"0");  // any text settles the offer
        if (!example.extraClient.empty()) app.sys.Add(example.extraClient);
        app.Script(example.picks, example.answers);
        app.Window();
        app.ExpectBoxes(example.boxes);
        EXPECT_EQ(app.sys.Value(L"TSPath"), example.found);
        EXPECT_EQ(app.Window().TeamSpeakDir, example.found);
        if (example.picks.size() > 1u && example.picks[1].empty()) {
            EXPECT_NE(app.sys.IndexOf("files:exists \\teamspeak.exe"), -1);
        }
    }
}

TEST(Installation, DecliningTheOfferAsksWhetherToAskAgain) {
    for (const int askAgain : {kIdYes, kIdNo}) {
        FirstStart app(L"E:\\TS");
        app.Script({}, {kIdNo, askAgain});
        app.Window();
        app.ExpectBoxes({kOffer, {kAskAgain, kInstallTitle, 36}});
        EXPECT_EQ(app.sys.Value(L"FSUIPCINST"), askAgain == kIdYes ? L"<absent>" : L"1");
        EXPECT_EQ(app.general.SessionName, L"Pilot");
    }
}

TEST(Installation, NoToTryingAgainEndsAtOnceAndReleasesTheLink) {
    FirstStart teamSpeak;
    teamSpeak.Script({L"E:\\Wrong"}, {kIdNo});
    FirstStart sim(L"E:\\TS");
    sim.Script({L"F:\\FS9"}, {kIdYes, kIdNo});
    for (FirstStart* app : {&teamSpeak, &sim}) {
        EXPECT_FALSE(app->general.StartUp());
        EXPECT_NE(app->sys.window, nullptr);  // the window was made and loaded
        EXPECT_FALSE(app->sys.Window().shown);
        EXPECT_FALSE(app->sys.Window().timerEnabled);
        EXPECT_TRUE(app->LinkReleased());
        EXPECT_TRUE(app->sys.Events("settings:save").empty() &&
                    app->sys.Events("dialog:input").empty());
    }
    EXPECT_EQ(teamSpeak.sys.IndexOf("settings:get FSUIPCINST"), -1);
    EXPECT_EQ(sim.sys.Value(L"FSUIPCINST"), L"<absent>");
}

TEST(Installation, AFailedCopyIsReportedAndSkipsTheName) {
    FirstStart app(L"E:\\TS");
    app.sys.contents.erase(L"C:\\Brenvale\\fsuipc.dll");
    app.Script({L"F:\\FS2000"}, {kIdYes});
    ASSERT_TRUE(app.general.StartUp());
    app.ExpectBoxes({kOffer, ErrorBox(kInstallErrorSentence, FakeSystem::kNotFound)});
    EXPECT_EQ(app.sys.Value(L"FSUIPCINST"), L"<absent>");
    EXPECT_EQ(app.sys.IndexOf("dialog:input"), -1);
    EXPECT_TRUE(app.sys.Window().shown);
}

TEST(Installation, FailuresWhileLocatingTeamSpeakAreLoadErrorsAndStopTheLoad) {
    FakeApp app;
    app.sys.existsFailure = L"The device is not ready.";
    ASSERT_TRUE(app.general.StartUp());
    app.ExpectBoxes({ErrorBox(kLoadErrorSentence, L"The device is not ready.")});
    EXPECT_EQ(app.Window().TeamSpeakDir, FakeSystem::kTeamSpeakDir);  // as read before the failure
    EXPECT_EQ(app.sys.IndexOf("settings:get FSUIPCINST"), -1);
    EXPECT_EQ(app.general.SessionName, L"");
    EXPECT_TRUE(app.sys.Window().shown);

    FirstStart refused;
    refused.sys.Add(kDefaultTeamSpeak + L"\\teamspeak.exe");
    refused.sys.saveFailure = L"Access is denied.";
    refused.Window();
    refused.ExpectBoxes({ErrorBox(kLoadErrorSentence, L"Access is denied.")});
    EXPECT_EQ(refused.Window().TeamSpeakDir, kDefaultTeamSpeak);
    EXPECT_EQ(refused.sys.IndexOf("dialog:input"), -1);

    FirstStart unpicked(L"G:\\Gone");  // the stored folder no longer holds TeamSpeak
    unpicked.sys.pickFailure = L"Not enough memory resources are available.";
    unpicked.Window();
    unpicked.ExpectBoxes({kLocate, ErrorBox(kLoadErrorSentence, unpicked.sys.pickFailure)});
    EXPECT_EQ(unpicked.Window().TeamSpeakDir, L"") << "no folder is known";
}

}  // namespace

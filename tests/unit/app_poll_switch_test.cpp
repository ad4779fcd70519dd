// The frequency poll on each tick and the channel switch on each change of the label.

#include "FakePlatform.h"

namespace {

TEST(FrequencyText, PackedDigitsGiveTheSixCharacterText) {
    struct Example {
        uint8_t first, second;
        const wchar_t* text;
    };
    const Example examples[] = {
        {0x45, 0x23, L"123.45"}, {0x00, 0x18, L"118.00"}, {0x05, 0x21, L"121.05"},
        {0x50, 0x09, L"109.50"}, {0x00, 0x00, L"100.00"}, {0x99, 0x99, L"199.99"},
        {0x05, 0x09, L"109.05"},
    };
    for (const Example& example : examples) {
        EXPECT_EQ(FrequencyText(example.first, example.second), example.text);
    }
}

TEST(FrequencyText, NibblesAboveNineShowAsHexLettersStillTwoWide) {
    EXPECT_EQ(FrequencyText(0x0A, 0x2A), L"12A.0A");
    EXPECT_EQ(FrequencyText(0xFF, 0xB0), L"1B0.FF");
}

// A started application whose poll runs against the fake simulator, with a small table.
struct Running : FakeApp {
    Running() {
        sys.files.Add(FakeSystem::kTableFile,
                      "122.80,alpha.example.org,la,pa,ca,sa\r\n"
                      "123.45,beta.example.org,lb,pb,cb,sb\r\n");
        EXPECT_TRUE(general.StartUp());
    }
    void Tick(uint16_t bcd) {
        sys.ipc.server.SetCom1Bcd(bcd);
        sys.windows.events->OnTimerTick();
    }
    size_t Starts() const { return sys.programs.started.size(); }
    std::wstring LastLine() const { return sys.programs.started.back().commandLine; }
};

TEST(Poll, ATickShowsTheFrequencyAndSwitchesInsideTheTick) {
    Running app;
    app.Tick(0x2345);
    EXPECT_EQ(app.Window().lblComText(), L"123.45");
    ASSERT_EQ(app.Starts(), 1u);
    EXPECT_LT(app.sys.IndexOf("window:label 123.45"), app.sys.IndexOf("programs:start"));
    const StartedProgram& start = app.sys.programs.started[0];
    EXPECT_EQ(start.applicationPath, L"D:\\Voice\\TS2\\teamspeak.exe");
    EXPECT_EQ(start.windowStyle, 2);
    EXPECT_EQ(start.commandLine,
              L"D:\\Voice\\TS2\\teamspeak.exe \"beta.example.org?nickname=Pilot?loginname=lb"
              L"?password=pb?channel=cb?subchannel=sb\"");
}

TEST(Poll, TheSameFrequencyAgainSwitchesNothing) {
    Running app;
    app.Tick(0x2280);
    app.Tick(0x2280);
    EXPECT_EQ(app.Starts(), 1u);
    EXPECT_EQ(app.sys.Window().labelShown.size(), 1u);
}

TEST(Poll, AFailedTickLeavesTheLabelAndTheNextGoodTickGoesOn) {
    Running app;
    app.Tick(0x2280);
    app.sys.ipc.server.Behaviour().replyValue = 0;  // the simulator answers with bad data
    app.Tick(0x2345);
    EXPECT_EQ(app.Window().lblComText(), L"122.80");
    EXPECT_EQ(app.Starts(), 1u);

    app.sys.ipc.server.Behaviour().replyValue = 1;
    app.Tick(0x2280);
    EXPECT_EQ(app.Starts(), 1u);
    app.Tick(0x2345);
    EXPECT_EQ(app.Window().lblComText(), L"123.45");
    EXPECT_EQ(app.Starts(), 2u);
}

TEST(Poll, TuningBackAndForthSwitchesAtEveryChange) {
    Running app;
    for (uint16_t bcd : {0x2280, 0x2345, 0x2280, 0x2345}) app.Tick(bcd);
    EXPECT_EQ(app.Starts(), 4u);
    EXPECT_NE(app.sys.programs.started[2].commandLine.find(L"alpha"), std::wstring::npos);
}

TEST(Poll, ATickWithTheLinkClosedChangesNothing) {
    Running app;
    app.general.Link().IpcClose();
    app.Tick(0x2280);
    EXPECT_EQ(app.Window().lblComText(), L"");
    EXPECT_EQ(app.Starts(), 0u);
}

// ---- the switch over a table set by hand

struct Switching : FakeApp {
    explicit Switching(const std::string& tableFile = "") {
        sys.files.Add(FakeSystem::kTableFile, tableFile);
        Window();
    }
    void SetRecord(int slot, std::initializer_list<std::wstring> fields) {
        ChannelColumns& table = Window().ChannelTable;
        auto field = fields.begin();
        for (auto column :
             {&ChannelColumns::Frequency, &ChannelColumns::Server, &ChannelColumns::LoginName,
              &ChannelColumns::Password, &ChannelColumns::Channel, &ChannelColumns::SubChannel}) {
            (table.*column)[slot] = *field++;
        }
    }
    std::wstring LineFor(const std::wstring& frequency) {
        Window().SetLblComText(frequency);
        return sys.programs.started.empty() ? L"<none>" : sys.programs.started.back().commandLine;
    }
};

TEST(Switch, TheFirstMatchingRecordWinsAndRecordOneIsTheDefault) {
    Switching app;
    app.SetRecord(1, {L"118.00", L"one", L"l1", L"p1", L"c1", L"s1"});
    app.SetRecord(2, {L"123.45", L"two", L"l2", L"p2", L"c2", L"s2"});
    app.SetRecord(3, {L"123.45", L"three", L"l3", L"p3", L"c3", L"s3"});
    app.SetRecord(4, {L"124.00", L"four", L"l4", L"p4", L"c4", L"s4"});
    app.Window().ChannelCount = 3;

    const std::wstring prefix = std::wstring(FakeSystem::kTeamSpeakDir) + L"\\teamspeak.exe \"";
    EXPECT_EQ(app.LineFor(L"123.45"),
              prefix + L"two?nickname=Pilot?loginname=l2?password=p2?channel=c2?subchannel=s2\"");
    const std::wstring recordOne =
        prefix + L"one?nickname=Pilot?loginname=l1?password=p1?channel=c1?subchannel=s1\"";
    EXPECT_EQ(app.LineFor(L"118.00"), recordOne);
    EXPECT_EQ(app.LineFor(L"124.00"), recordOne);  // beyond ChannelCount
    EXPECT_EQ(app.LineFor(L"123.450"), recordOne);
}

TEST(Switch, AnEmptyTableAndNameGiveTheBareKeys) {
    Switching app;
    app.general.SessionName.clear();
    ASSERT_EQ(app.Window().ChannelCount, 0);
    EXPECT_EQ(app.LineFor(L"122.80"),
              L"D:\\Voice\\TS2\\teamspeak.exe \"?nickname=?loginname=?password=?channel="
              L"?subchannel=\"");
}

TEST(Switch, TheEmptyTableStillUsesWhatACutFirstRecordLeft) {
    Switching app("121.50,left,l,p");
    ASSERT_EQ(app.Window().ChannelCount, 0);
    EXPECT_EQ(app.LineFor(L"122.80"),
              L"D:\\Voice\\TS2\\teamspeak.exe \"left?nickname=Pilot?loginname=l?password=p"
              L"?channel=?subchannel=\"");
}

TEST(Switch, ValuesGoInUnchangedAndABackslashIsNotRemoved) {
    Switching app;
    app.Window().TeamSpeakDir = L"E:\\";
    app.general.SessionName = L"Jos\u00E9 M";
    app.SetRecord(1, {L"122.80", L"ts server", L"l", L"p w", L"Tower \u00C4", L" s "});
    app.Window().ChannelCount = 1;
    EXPECT_EQ(app.LineFor(L"122.80"),
              L"E:\\\\teamspeak.exe \"ts server?nickname=Jos\u00E9 M?loginname=l?password=p w"
              L"?channel=Tower \u00C4?subchannel= s \"");
    EXPECT_EQ(app.sys.programs.started.back().applicationPath, L"E:\\\\teamspeak.exe");
}

TEST(Switch, AFailedStartGoesIntoTheCaptionUntilAStartSucceeds) {
    Switching app;
    app.sys.programs.failure = L"The system cannot find the file specified.";
    app.LineFor(L"122.80");
    const std::wstring failed =
        L"Brenvale - Can't start TeamSpeak: The system cannot find the file specified.";
    EXPECT_EQ(app.sys.Window().caption, failed);
    app.LineFor(L"123.45");
    EXPECT_EQ(app.sys.Window().caption, failed);  // a second failure does not stack
    EXPECT_TRUE(app.sys.dialogs.boxes.empty());

    app.sys.programs.failure.clear();
    app.LineFor(L"122.80");
    EXPECT_EQ(app.sys.Window().caption, L"Brenvale");
    EXPECT_EQ(app.sys.programs.started.size(), 1u);
}

}  // namespace

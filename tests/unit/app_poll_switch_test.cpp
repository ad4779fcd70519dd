// The frequency poll on each tick and the channel switch on each change of the label.

#include "FakePlatform.h"
#include "tests/support/SurrogateNaming.h"

namespace {

// A started application whose poll runs against the fake simulator, with a small table.
struct Running : FakeApp {
    Running() {
        sys.Add(FakeSystem::kTableFile,
                "122.80,alpha.example.org,la,pa,ca,sa\r\n"
                "123.45,beta.example.org,lb,pb,cb,sb\r\n");
        EXPECT_TRUE(general.StartUp());
    }
    void Tick(uint16_t bcd) {
        sys.ipc.server.SetCom1Bcd(bcd);
        sys.events->OnTimerTick();
    }
    size_t Starts() const { return sys.started.size(); }
    size_t LabelsShown() const { return sys.Events("window:label").size(); }
};

TEST(Poll, EachTickShowsTheFrequencyAndEachChangeSwitchesInsideTheTick) {
    Running app;
    for (uint16_t bcd : {0x2345, 0x2345, 0x2280, 0x2345}) app.Tick(bcd);
    EXPECT_EQ(app.Window().lblComText(), L"123.45");
    EXPECT_EQ(app.LabelsShown(), 3u);
    ASSERT_EQ(app.Starts(), 3u);
    EXPECT_LT(app.sys.IndexOf("window:label 123.45"), app.sys.IndexOf("programs:start"));
    const StartedProgram& start = app.sys.started[0];
    EXPECT_EQ(start.applicationPath, L"D:\\Voice\\TS2\\teamspeak.exe");
    EXPECT_EQ(start.windowStyle, 2);
    EXPECT_NE(start.commandLine.find(L"beta"), std::wstring::npos);
    EXPECT_NE(app.sys.started[1].commandLine.find(L"alpha"), std::wstring::npos);
    app.Tick(0xB00F);  // digits above nine show as hex letters, still two wide
    EXPECT_EQ(app.Window().lblComText(), L"1B0.0F");
}

TEST(Poll, AFailedTickChangesNothingAndTheNextGoodTickGoesOn) {
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

// ---- the switch, over the table as loaded

const std::wstring kClient = std::wstring(FakeSystem::kTeamSpeakDir) + L"\\teamspeak.exe";

struct Switching : FakeApp {
    explicit Switching(const std::string& tableFile = "") { LoadTable(tableFile); }
    std::wstring LineFor(const std::wstring& frequency) {
        Window().SetLblComText(frequency);
        return sys.started.empty() ? L"<none>" : sys.started.back().commandLine;
    }
};

TEST(Switch, TheFirstMatchingRecordWinsAndRecordOneIsTheDefault) {
    Switching app(
        "118.00,one,l1,p1,c1,s1\n123.45,ts two,l2,p 2,\"Tower \xC4\",\" s \"\n"
        "123.45,three,l3,p3,c3,s3\n118.00,four,l4,p4,c4,s4\n"
        "124.00,five,l5,p5,c5");  // cut short: left beyond the count
    ASSERT_EQ(app.Window().ChannelCount, 4);
    app.general.SessionName = L"Jos\u00E9 M";  // every value goes in unchanged, blanks and all
    EXPECT_EQ(app.LineFor(L"123.45"),
              kClient +
                  L" \"ts two?nickname=Jos\u00E9 M?loginname=l2?password=p 2"
                  L"?channel=Tower \u00C4?subchannel= s \"");
    const std::wstring recordOne =
        kClient +
        L" \"one?nickname=Jos\u00E9 M?loginname=l1?password=p1?channel=c1?subchannel=s1\"";
    EXPECT_EQ(app.LineFor(L"118.00"), recordOne);
    EXPECT_EQ(app.LineFor(L"124.00"), recordOne);
    EXPECT_EQ(app.LineFor(L"123.450"), recordOne);
}

TEST(Switch, AnEmptyTableUsesWhatSlotOneHolds) {
    Switching bare;
    bare.general.SessionName.clear();
    bare.Window().TeamSpeakDir = L"E:\\";  // a drive root: its backslash stays
    ASSERT_EQ(bare.Window().ChannelCount, 0);
    EXPECT_EQ(bare.LineFor(L"122.80"),
              L"E:\\\\teamspeak.exe \"?nickname=?loginname=?password=?channel=?subchannel=\"");
    EXPECT_EQ(bare.sys.started.back().applicationPath, L"E:\\\\teamspeak.exe");

    Switching cut("121.50,left,l,p");  // a first record cut short leaves its fields
    ASSERT_EQ(cut.Window().ChannelCount, 0);
    EXPECT_EQ(cut.LineFor(L"122.80"),
              kClient + L" \"left?nickname=Pilot?loginname=l?password=p?channel=?subchannel=\"");
}

TEST(Switch, AFailedStartGoesIntoTheCaptionUntilAStartSucceeds) {
    Switching app;
    app.sys.startFailure = FakeSystem::kNotFound;
    app.LineFor(L"122.80");
    const std::wstring failed =
        L"Brenvale - Can't start TeamSpeak: The system cannot find the file specified.";
    EXPECT_EQ(app.sys.Window().caption, failed);
    app.LineFor(L"123.45");
    EXPECT_EQ(app.sys.Window().caption, failed);  // a second failure does not stack
    app.ExpectBoxes({});

    app.sys.startFailure.clear();
    app.LineFor(L"122.80");
    EXPECT_EQ(app.sys.Window().caption, L"Brenvale");
    EXPECT_EQ(app.sys.started.size(), 1u);
    app.LineFor(L"123.45");  // once put back, later starts leave the caption alone
    EXPECT_EQ(app.sys.Events("window:caption").size(), 3u);
}

// A line TeamSpeak would not read as it is starts nothing, and the caption says why until a
// good record starts: the system cuts a line at a NUL, and puts a look-alike or '?' for a
// character outside the code page (Windows-1252 here), which ends or splits the argument.
TEST(Switch, ALineTeamSpeakCannotReadExactlyStartsNothingAndTheCaptionSaysWhy) {
    const std::wstring failed = L"Brenvale - Can't start TeamSpeak: The command line holds ";
    const std::wstring outside =
        failed + L"characters that TeamSpeak cannot read in this system's code page: ";
    const std::wstring advice =
        L"; check the channel table, your name for this session and the TeamSpeak folder for "
        L"them.";
    const struct {
        std::string channel;
        std::wstring caption;
    } refused[] = {
        {std::string("voi\0ce", 6), failed + L"a NUL character; check the channel table for it."},
        // Each character once, eight of them all named; those that show nothing by number alone.
        {"\xD0\x96\xC2\x80\xD0\x96\xE2\x80\x8B\xE2\x80\xA8\xF0\x9F\x99\x82\xD0\x91\xD0\x92\xD0\x93",
         outside + L"\"\u0416\" (U+0416), U+0080, U+200B, U+2028, \"\U0001F642\" (U+1F642), " +
             L"\"\u0411\" (U+0411), \"\u0412\" (U+0412), \"\u0413\" (U+0413)" + advice},
        {"\xD0\x90\xD0\x91\xD0\x92\xD0\x93\xD0\x94\xD0\x95\xD0\x96\xD0\x97\xD0\x98",  // nine
         outside +
             L"\"\u0410\" (U+0410), \"\u0411\" (U+0411), \"\u0412\" (U+0412), \"\u0413\" (U+0413), "
             L"\"\u0414\" (U+0414), \"\u0415\" (U+0415), \"\u0416\" (U+0416), \"\u0417\" (U+0417) "
             L"and others" +
             advice},
        {"Lobby\xEF\xBC\x82 -x \xEF\xBC\x82", outside + L"\"\uFF02\" (U+FF02)" + advice},
        {"Lobby\xFF", outside + L"\"\uFFFD\" (U+FFFD)" + advice},  // not UTF-8 after the mark
    };
    for (const auto& example : refused) {
        Switching app(
            "\xEF\xBB\xBF"
            "122.80,s,l,p," +
            example.channel + ",x\r\n123.45,s,l,p,Z\xC3\xBCrich \xE2\x82\xAC,x\r\n");
        EXPECT_EQ(app.LineFor(L"122.80"), L"<none>");
        EXPECT_EQ(app.sys.Window().caption, example.caption);
        EXPECT_EQ(app.LineFor(L"123.45"),  // the code page holds these: they go in unchanged
                  kClient +
                      L" \"s?nickname=Pilot?loginname=l?password=p?channel=Z\u00FCrich \u20AC"
                      L"?subchannel=x\"");
        EXPECT_EQ(app.sys.Window().caption, L"Brenvale");
    }
}

// Text from Windows, in 16-bit units, as the caption's naming gets it there: a surrogate
// pair is one character wherever it stands, a surrogate alone or reversed is none.
TEST(Switch, TheCharactersNamedTakeASurrogatePairAsOneAndALoneSurrogateAsItself) {
    FakeSystem codec;  // Windows-1252
    surrogates::ExpectNamings(codec);
}

}  // namespace

// The checker as a program over a fake system: its options and their errors, the choice
// for one frequency with its command line, password masking, and the exit statuses.

#include <map>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "tools/checker/CheckerRun.h"

namespace {

using Args = std::vector<std::wstring>;

class FakeCheckerSystem : public checker::CheckerSystem {
  public:
    std::unique_ptr<FileReader> OpenTableFile(const std::wstring& path) override {
        return files.OpenForReading(path);
    }
    TextCodec& Decoder() override { return files; }
    std::wstring CodePageName() override { return L"the system's code page (1252)"; }
    std::wstring DefaultTableFile() override { return FakeSystem::kTableFile; }
    std::wstring SavedTeamSpeakDir() override { return savedTeamSpeakDir; }
    void WriteOut(const std::wstring& text) override { out += text; }
    void WriteError(const std::wstring& text) override { error += text; }

    FakeSystem files;
    std::wstring savedTeamSpeakDir;
    std::wstring out, error;
};

const char kTable[] =
    "122.80,s1,l1,secret1,c1,x1\r\n"
    "123.45,s2,l2,secret2,c2,x2\r\n";

struct Outcome {
    int status;
    std::wstring out, error;
};

Outcome Check(const Args& args, const std::string& table = kTable,
              const std::wstring& savedTeamSpeakDir = std::wstring()) {
    FakeCheckerSystem system;
    system.files.Add(FakeSystem::kTableFile, table);
    system.savedTeamSpeakDir = savedTeamSpeakDir;
    const int status = checker::RunChecker(args, system);
    return {status, system.out, system.error};
}

bool Holds(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

TEST(CheckerRun, ShowsTheChosenRecordAndTheCommandLineWithPasswordsMaskedUnlessAsked) {
    const Outcome masked =
        Check({L"--frequency", L"123.45", L"--name", L"Ann Lee", L"--teamspeak-dir=D:\\TS"});
    EXPECT_EQ(masked.status, checker::kExitClean);
    EXPECT_TRUE(Holds(masked.out, L"Channel table: C:\\Brenvale\\brenvale.txt\n"));
    EXPECT_TRUE(Holds(masked.out,
                      L"\n    2 (line 2): \"123.45\"  server \"s2\", login \"l2\", "
                      L"password ******, channel \"c2\", sub-channel \"x2\"\n"));
    EXPECT_TRUE(Holds(masked.out, L"Brenvale chooses record 2 (line 2), the first with this"));
    EXPECT_TRUE(Holds(masked.out,
                      L"\n  D:\\TS\\teamspeak.exe \"s2?nickname=Ann Lee?loginname=l2"
                      L"?password=******?channel=c2?subchannel=x2\"\n(The password "
                      L"is masked; --show-passwords shows the exact line.)\n"));
    EXPECT_FALSE(Holds(masked.out, L"secret"));

    const std::wstring shown = Check({L"--show-passwords", L"--frequency=130.00"}).out;
    EXPECT_TRUE(Holds(shown,
                      L"record 1 is the default channel.\n    1 (line 1): \"122.80\"  server "
                      L"\"s1\", login \"l1\", password \"secret1\", channel"));
    EXPECT_TRUE(Holds(shown, L"no record has this frequency, so Brenvale uses record 1"));
    EXPECT_TRUE(Holds(shown,
                      L"\n  C:\\Program Files\\Teamspeak2_RC2\\teamspeak.exe \"s1?nickname="
                      L"Pilot?loginname=l1?password=secret1?channel=c1?subchannel=x1\"\n\n"
                      L"No warnings.\n"));

    // No control character reaches the terminal, and no line TeamSpeak cannot read is shown.
    const Outcome refused =
        Check({L"--frequency=122.80", L"--name", L"\u0416\x1b"}, "122.80,Lob\x1b[8mby,l,p,c,x\r\n");
    EXPECT_TRUE(Holds(refused.out, L"Read as ANSI text in the system's code page (1252)\n"));
    EXPECT_TRUE(Holds(refused.out, L"server \"Lob<U+001B>[8mby\""));
    EXPECT_TRUE(Holds(refused.out,
                      L"for the name \"\u0416<U+001B>\" and the default TeamSpeak folder, "
                      L"\"C:\\Program Files\\Teamspeak2_RC2\":\n  none: it would hold characters "
                      L"Windows on this computer cannot pass to TeamSpeak: \"\u0416\" (U+0416), so "
                      L"Brenvale does not start TeamSpeak.\n\n1 warning:\n"));
    EXPECT_FALSE(Holds(refused.out, L"\x1b"));
    EXPECT_TRUE(Holds(Check({L"--frequency=122.80"}, std::string("122.80,s\0,l,p,c,x\r\n", 20)).out,
                      L"  none: it would hold a NUL character, so Brenvale does not"));
}

// The folder Brenvale saved is the one it starts TeamSpeak from, unless one is given; the
// report says which it used. (Neither: the default, in the first test.)
TEST(CheckerRun, TheTeamSpeakFolderIsTheOneGivenElseTheSavedOne) {
    const std::wstring line = L"\\teamspeak.exe \"s1?nickname=Pilot";
    EXPECT_TRUE(Holds(
        Check({L"--frequency=122.80"}, kTable, L"E:\\Voice\\TS2").out,
        L"and the TeamSpeak folder Brenvale saved, \"E:\\Voice\\TS2\":\n  E:\\Voice\\TS2" + line));
    EXPECT_TRUE(Holds(
        Check({L"--teamspeak-dir", L"D:\\TS", L"--frequency=122.80"}, kTable, L"E:\\V").out,
        L"and the TeamSpeak folder given with --teamspeak-dir, \"D:\\TS\":\n  D:\\TS" + line));
}

TEST(CheckerRun, WithNoRecordsRecord1IsWhatTheRecordCutShortLeftThere) {
    EXPECT_TRUE(Holds(Check({L"--frequency=122.80"}, "").out,
                      L"record 1, the default channel.\nThe table has no records; record 1 is "
                      L"empty.\n"));
    EXPECT_TRUE(Holds(Check({L"--frequency=122.80"}, "122.80,s,l").out,
                      L"The table has no records; record 1 holds what was read of the record "
                      L"cut short.\n"));
}

TEST(CheckerRun, WrongOptionsGiveTheReasonAndTheUsageWithStatusTwo) {
    const struct {
        Args args;
        const wchar_t* problem;
    } cases[] = {
        {{L"--colour"}, L"unknown option --colour"},
        {{L"--name"}, L"--name needs a value"},
        {{L"a.txt", L"b.txt"}, L"only one table file can be checked at a time"},
        {{L""}, L"the file name is empty"},
        {{L"--frequency", L"122.8"}, L"--frequency wants a frequency as the radio shows it"},
    };
    for (const auto& example : cases) {
        const Outcome run = Check(example.args);
        EXPECT_EQ(run.status, checker::kExitFailed) << example.problem;
        EXPECT_EQ(run.error.rfind(L"brenvale-check: " + std::wstring(example.problem), 0), 0u)
            << Narrow(run.error);
        EXPECT_TRUE(Holds(run.error, L"\n\nUsage: brenvale-check [options] [FILE]\n"));
        EXPECT_EQ(run.out, L"");
    }
    const Outcome help = Check({L"--name", L"x", L"-h", L"--colour"});  // help wins over the rest
    EXPECT_EQ(help.status, checker::kExitClean);
    EXPECT_TRUE(Holds(help.out, L"(default: C:\\Brenvale\\brenvale.txt)"));
    EXPECT_TRUE(Holds(Check({L"--", L"-h"}).error, L"cannot read -h"));  // after "--", a file
}

TEST(CheckerRun, StatusOneForWarningsAndTwoWhenMemoryIsRefused) {
    const Outcome warned = Check({}, "122.8,s,l,p,c,x\r\n");
    EXPECT_EQ(warned.status, checker::kExitWarnings);
    EXPECT_TRUE(Holds(warned.out, L"1 warning:\n  record 1, line 1: frequency \"122.8\""));

    FakeCheckerSystem starved;
    starved.files.Add(FakeSystem::kTableFile, kTable);
    starved.files.decodeFailure = std::make_exception_ptr(std::bad_alloc());
    EXPECT_EQ(checker::RunChecker({}, starved), checker::kExitFailed);
    EXPECT_EQ(starved.error, L"brenvale-check: cannot read " +
                                 std::wstring(FakeSystem::kTableFile) + L": not enough memory\n");
}

}  // namespace

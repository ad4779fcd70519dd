// The checker program as a whole over a fake system: options, exit status, what goes to
// the output and what to the error stream, masking and the command line shown.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/PlatformFailure.h"
#include "tools/checker/CheckerRun.h"

namespace {

class FakeCheckerSystem : public checker::CheckerSystem {
  public:
    std::unique_ptr<FileReader> OpenTableFile(const std::wstring& path) override {
        reads.push_back(path);
        const auto found = files.find(path);
        if (found == files.end()) throw PlatformFailure(2, L"No such file or directory");
        return std::make_unique<BytesReader>(found->second);
    }
    std::wstring FromSystemCodePage(const std::string& bytes) override {
        return std::wstring(bytes.begin(), bytes.end());
    }
    std::wstring FromUtf8(const std::string&) override {
        throw PlatformFailure(1113, L"not UTF-8");
    }
    std::wstring DefaultTableFile() override { return L"C:\\Brenvale\\brenvale.txt"; }
    void WriteOut(const std::wstring& text) override { out += text; }
    void WriteError(const std::wstring& text) override { err += text; }

    std::map<std::wstring, std::string> files;
    std::vector<std::wstring> reads;
    std::wstring out, err;
};

const char kCleanTable[] =
    "121.50,guard.example.net,g,guardpass,Guard,Emergency\r\n"
    "122.80,voice.example.net,pilot,s3cret,Approach,Final\r\n";

struct CheckerRunOf {
    explicit CheckerRunOf(std::vector<std::wstring> args, const std::string& table = kCleanTable) {
        system.files[L"table.txt"] = table;
        status = checker::RunChecker(args, system);
    }
    bool OutHas(const std::wstring& text) const {
        return system.out.find(text) != std::wstring::npos;
    }
    FakeCheckerSystem system;
    int status = -1;
};

TEST(CheckerRun, ExitStatusSaysCleanWarnedOrUnreadable) {
    const CheckerRunOf clean({L"table.txt"});
    EXPECT_EQ(clean.status, checker::kExitClean);
    EXPECT_TRUE(clean.OutHas(L"No warnings."));
    EXPECT_TRUE(
        clean.OutHas(L"Channel table: table.txt\nRead as ANSI text in the system's code page\n"));
    EXPECT_TRUE(clean.system.err.empty());

    const CheckerRunOf warned({L"table.txt"}, "122.8,s,l,p,c,x\n");
    EXPECT_EQ(warned.status, checker::kExitWarnings);
    EXPECT_TRUE(warned.OutHas(L"1 warning:\n  record 1, line 1: frequency \"122.8\""));

    const CheckerRunOf missing({L"elsewhere.txt"});
    EXPECT_EQ(missing.status, checker::kExitFailed);
    EXPECT_EQ(missing.system.err,
              L"brenvale-check: cannot read elsewhere.txt: No such file or directory\n");
    EXPECT_TRUE(missing.system.out.empty());

    // Without a file the default table is read; "--" lets a file name start with dashes.
    const CheckerRunOf byDefault({L"--frequency", L"122.80"});
    EXPECT_EQ(byDefault.system.reads, std::vector<std::wstring>{L"C:\\Brenvale\\brenvale.txt"});
    EXPECT_EQ(byDefault.status, checker::kExitFailed);
    EXPECT_EQ(CheckerRunOf({L"--", L"--odd.txt"}).system.reads.at(0), L"--odd.txt");
}

TEST(CheckerRun, BadUsageIsExitTwoWithTheReasonAndTheUsageAndHelpReadsNothing) {
    const struct {
        std::vector<std::wstring> args;
        const wchar_t* reason;
    } cases[] = {
        {{L"--frequncy", L"122.80", L"table.txt"}, L"unknown option --frequncy"},
        {{L"table.txt", L"--frequency"}, L"--frequency needs a value"},
        {{L"table.txt", L"--frequency", L"122.8"}, L"not \"122.8\""},
        {{L"table.txt", L"--frequency="}, L"not \"\""},
        {{L"table.txt", L"other.txt"}, L"only one table file"},
        {{L""}, L"the file name is empty"},
    };
    for (const auto& example : cases) {
        const CheckerRunOf run(example.args);
        const std::wstring& err = run.system.err;
        EXPECT_EQ(run.status, checker::kExitFailed) << err;
        EXPECT_NE(err.find(example.reason), std::wstring::npos) << err;
        EXPECT_NE(err.find(L"Usage: brenvale-check"), std::wstring::npos) << err;
        EXPECT_TRUE(run.system.reads.empty());
        EXPECT_TRUE(run.system.out.empty());
    }
    for (const wchar_t* help : {L"--help", L"-h", L"/?"}) {
        const CheckerRunOf run({L"table.txt", help});
        EXPECT_EQ(run.status, checker::kExitClean);
        EXPECT_TRUE(run.OutHas(L"Usage: brenvale-check [options] [FILE]"));
        EXPECT_TRUE(run.OutHas(L"(default: C:\\Brenvale\\brenvale.txt)"));
        EXPECT_TRUE(run.system.reads.empty());
    }
}

TEST(CheckerRun, ListsEachRecordNumberedWithItsLineAndPasswordsMasked) {
    const CheckerRunOf masked({L"table.txt"});
    EXPECT_TRUE(masked.OutHas(
        L"    2 (line 2): \"122.80\"  server \"voice.example.net\", login \"pilot\", password "
        L"******, channel \"Approach\", sub-channel \"Final\"\n"));
    EXPECT_TRUE(masked.OutHas(L"2 of at most 200"));
    EXPECT_FALSE(masked.OutHas(L"s3cret"));
    EXPECT_FALSE(masked.OutHas(L"guardpass"));

    EXPECT_TRUE(CheckerRunOf({L"--show-passwords", L"table.txt"}).OutHas(L"password \"s3cret\""));
    // An empty password is shown as empty: nothing to hide, and worth seeing.
    EXPECT_TRUE(CheckerRunOf({L"table.txt"}, "122.80,s,l,,c,x").OutHas(L"password \"\""));
}

TEST(CheckerRun, ShowsTheChosenRecordAndTheExactCommandLine) {
    const CheckerRunOf run({L"table.txt", L"--frequency", L"122.80", L"--show-passwords",
                            L"--name=Ann Lee", L"--teamspeak-dir", L"D:\\TS2\\"});
    EXPECT_EQ(run.status, checker::kExitClean);
    EXPECT_TRUE(run.OutHas(L"Brenvale chooses record 2 (line 2), the first with this frequency"));
    EXPECT_TRUE(run.OutHas(
        L"\n  D:\\TS2\\\\teamspeak.exe \"voice.example.net?nickname=Ann Lee?loginname=pilot"
        L"?password=s3cret?channel=Approach?subchannel=Final\"\n"));
    EXPECT_FALSE(run.OutHas(L"masked"));

    // An unmatched frequency falls back to record one, with the default folder and name.
    const CheckerRunOf unmatched({L"table.txt", L"--frequency", L"130.00"});
    EXPECT_TRUE(unmatched.OutHas(L"no record has this frequency, so Brenvale uses record 1"));
    EXPECT_TRUE(unmatched.OutHas(
        L"  C:\\Program Files\\Teamspeak2_RC2\\teamspeak.exe \"guard.example.net?nickname=Pilot"
        L"?loginname=g?password=******?channel=Guard?subchannel=Emergency\"\n"));
    EXPECT_TRUE(unmatched.OutHas(L"The password is masked"));
    EXPECT_FALSE(unmatched.OutHas(L"guardpass"));
}

TEST(CheckerRun, AnEmptyTableStartsTeamSpeakWithWhatSlotOneHolds) {
    const CheckerRunOf empty({L"table.txt", L"--frequency", L"122.80"}, "");
    EXPECT_EQ(empty.status, checker::kExitWarnings);
    EXPECT_TRUE(empty.OutHas(L"record 1 is empty"));
    EXPECT_TRUE(empty.OutHas(
        L"teamspeak.exe \"?nickname=Pilot?loginname=?password=?channel=?subchannel=\"\n"));

    // A lone record cut short leaves its fields in slot 1, and the program uses them.
    const CheckerRunOf cut({L"table.txt", L"--frequency", L"122.80"}, "122.80,srv,log");
    EXPECT_TRUE(cut.OutHas(L"record 1 holds what was read of the record cut short"));
    EXPECT_TRUE(cut.OutHas(
        L"teamspeak.exe \"srv?nickname=Pilot?loginname=log?password=?channel=?subchannel=\"\n"));
}

}  // namespace

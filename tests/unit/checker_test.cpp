// The table checker (it loads through the program's own reader and record loop): it must
// choose the record the program starts TeamSpeak with and warn about each thing the pilot
// likely did not mean. The user guide that ships with it must quote every text the
// program shows.

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "ipc/IpcResult.h"
#include "tools/checker/CheckerRun.h"
#include "tools/checker/TableCheck.h"

namespace {

class FakeCheckerSystem : public checker::CheckerSystem {
  public:
    std::unique_ptr<FileReader> OpenTableFile(const std::wstring& path) override {
        reads.push_back(path);
        const auto found = files.find(path);
        if (found == files.end()) throw PlatformFailure(2, L"No such file or directory");
        return std::make_unique<BytesReader>(found->second);
    }
    std::wstring FromSystemCodePage(const std::string& bytes) override { return Widen(bytes); }
    std::wstring FromUtf8(const std::string& bytes) override { return StrictUtf8(bytes); }
    std::wstring DefaultTableFile() override { return L"C:\\Brenvale\\brenvale.txt"; }
    void WriteOut(const std::wstring& text) override { out += text; }
    void WriteError(const std::wstring& text) override { err += text; }

    std::map<std::wstring, std::string> files{
        {L"table.txt",
         "121.50,guard.example.net,g,guardpass,Guard,Emergency\r\n"
         "122.80,voice.example.net,pilot,s3cret,Approach,Final\r\n"}};
    std::vector<std::wstring> reads;
    std::wstring out, err;
};

checker::Table Check(const std::string& bytes) {
    BytesReader file(bytes);
    FakeCheckerSystem decoder;
    return checker::CheckTable(file, decoder);
}

std::string Line(const std::string& frequency, const std::string& tail = "s,l,p,c,x") {
    return frequency + "," + tail + "\r\n";
}

// `count` records on distinct frequencies of the COM band, 25 kHz apart.
std::string NumberedRecords(int count) {
    std::string text;
    for (int n = 0; n < count; ++n) {
        const int hundredths = n % 40 * 25 / 10;
        text += Line(std::to_string(118 + n / 40) + (hundredths < 10 ? ".0" : ".") +
                     std::to_string(hundredths));
    }
    return text;
}

// The warnings as "record/line: text" lines.
std::vector<std::string> Warnings(const checker::Table& table) {
    std::vector<std::string> lines;
    for (const checker::Warning& w : table.warnings) {
        lines.push_back(std::to_string(w.record) + "/" + std::to_string(w.line) + ": " +
                        Narrow(w.text));
    }
    return lines;
}

TEST(CheckerTable, NamesEachFaultWithItsRecordAndLineAndNothingElse) {
    const struct {
        std::string file;
        int count;
        std::vector<std::string> warnings;  // "record/line: part of the text", all of them
    } cases[] = {
        {NumberedRecords(200) + "\n\n", 200, {}},
        {"  \"121.50\" ,  s , \"l, m\",p,c,x\n122.80,s,l,p,c,x,\n\n", 2, {}},
        {Line("121.50") + Line("121.50") + Line("122.8") + Line("117.97") + Line("122.81"),
         5,
         {"2/2: already in record 1 (line 1)", "3/3: not in the form", "4/4: outside the COM band",
          "5/5: 25 kHz"}},
        {NumberedRecords(250), 200, {"201/201: ignores the rest of the file (50 more records)"}},
        {NumberedRecords(200) + std::string(5000, ','),
         200,
         {"201/201: (834 more records); most of the file is never read: 5000 of its"}},
        {"", 0, {"0/0: with the nickname alone"}},
        {"122.80,s,l", 0, {"0/0: the fields of the record cut short", "1/1: ends after 3"}},
        {Line("122.80", "srv?x,l\"og,,\"ch?an\",sub\""),
         1,
         {"1/1: the server holds a question mark", "1/1: the login name holds a double quote",
          "1/1: the channel holds a question mark", "1/1: the sub-channel holds a double quote"}},
        {Line("122.80") + "\r\n" + Line("123.45"),
         2,
         {"2/2: spread over lines 2 to 3", "2/2: frequency \"\" is not in the form",
          "3/3: ends after 1 of the record's six fields"}},
        {"122.80,s,l,p,c,x,123.45,s,l,p,c,x\n", 2, {"1/1: line 1 goes on"}},
        {Line("122.80", std::string("s,l\0x,p,c,x", 11)), 1, {"1/1: the login name holds a NUL"}},
        // Marked as UTF-8, but record 2 is not: the table ends before it.
        {"\xEF\xBB\xBF" + Line("122.80") + Line("123.45", "s,l,B\xE9,c,x") + Line("121.50"),
         1,
         {"2/2: field 4 cannot be read as UTF-8 with a byte order mark"}},
    };
    for (const auto& example : cases) {
        const checker::Table table = Check(example.file);
        const std::vector<std::string> warnings = Warnings(table);
        EXPECT_EQ(table.count, example.count) << example.file.substr(0, 60);
        EXPECT_EQ(warnings.size(), example.warnings.size()) << ::testing::PrintToString(warnings);
        for (const std::string& expected : example.warnings) {
            const std::string where = expected.substr(0, expected.find(':') + 2);
            const std::string phrase = expected.substr(where.size());
            EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(),
                                    [&](const std::string& w) {
                                        return w.rfind(where, 0) == 0 &&
                                               w.find(phrase) != std::string::npos;
                                    }))
                << expected << " in " << ::testing::PrintToString(warnings);
        }
    }
}

struct CheckerRunOf {
    explicit CheckerRunOf(std::vector<std::wstring> args, const std::string& table = "") {
        if (!table.empty()) system.files[L"table.txt"] = table;
        status = checker::RunChecker(args, system);
    }
    bool Says(const std::wstring& text) const {
        return system.out.find(text) != std::wstring::npos;
    }
    FakeCheckerSystem system;
    int status = -1;
};

TEST(CheckerRun, ReportsTheChoiceAndItsCommandLineWithAnExitStatusForEachOutcome) {
    const CheckerRunOf clean({L"table.txt", L"--frequency", L"122.80", L"--name=Ann Lee"});
    EXPECT_EQ(clean.status, checker::kExitClean);
    EXPECT_TRUE(clean.Says(L"Brenvale chooses record 2 (line 2), the first with this frequency"));
    EXPECT_TRUE(clean.Says(
        L"\n  C:\\Program Files\\Teamspeak2_RC2\\teamspeak.exe \"voice.example.net?nickname=Ann "
        L"Lee?loginname=pilot?password=******?channel=Approach?subchannel=Final\"\n"));
    EXPECT_EQ(clean.system.out.find(L"s3cret"), std::wstring::npos);
    EXPECT_TRUE(CheckerRunOf({L"table.txt", L"--frequency", L"130.00"})
                    .Says(L"no record has this frequency, so Brenvale uses record 1"));

    const CheckerRunOf warned({L"table.txt"}, "122.8,s,l,p,c,x\n");
    EXPECT_EQ(warned.status, checker::kExitWarnings);
    EXPECT_TRUE(warned.Says(L"1 warning:\n  record 1, line 1: frequency \"122.8\""));

    const CheckerRunOf missing({});  // the default table
    EXPECT_EQ(missing.status, checker::kExitFailed);
    EXPECT_EQ(
        missing.system.err,
        L"brenvale-check: cannot read C:\\Brenvale\\brenvale.txt: No such file or directory\n");
    const CheckerRunOf misused({L"table.txt", L"--frequency=122.8"});
    EXPECT_EQ(misused.status, checker::kExitFailed);
    EXPECT_NE(misused.system.err.find(L"not \"122.8\""), std::wstring::npos);
    EXPECT_NE(misused.system.err.find(L"Usage: brenvale-check"), std::wstring::npos);
    EXPECT_TRUE(misused.system.reads.empty() && misused.system.out.empty());
}

// ---- what ships beside the program

std::string Shipped(const std::string& name) {
    const std::string here = __FILE__;
    std::ifstream file(here.substr(0, here.rfind("tests/unit/")) + "tools/sample/" + name,
                       std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The guide wraps long texts over lines: any run of blanks and line ends is one blank.
std::string OneLine(const std::string& text) {
    std::string result;
    for (char c : text) {
        const bool blank = c == ' ' || c == '\r' || c == '\n' || c == '\t';
        if (!blank) result.push_back(c);
        if (blank && (result.empty() || result.back() != ' ')) result.push_back(' ');
    }
    return result;
}

TEST(UserGuide, QuotesEveryTextTheProgramShowsAndExplainsTheSampleTable) {
    const std::string raw = Shipped("README.txt");
    ASSERT_FALSE(raw.empty());
    const std::string guide = OneLine(raw);
    using namespace shown;
    std::vector<std::wstring> texts = {
        kCannotLocateTeamSpeak,
        kTeamSpeakNotInPick,
        kOfferInstall,
        kInstalled,
        kSimulatorNotInPick,
        kAskAgain,
        kAskName,
        kLoadErrorSentence,
        kInstallErrorSentence,
        kContactDeveloper,
        kStartFailed,
        L"\"TeamSpeak Required\"",
        L"\"FSU IPC Installation\"",
        L"reg delete \"HKCU\\Software\\VB and VBA Program Settings\\Brenvale\" /f"};
    for (int code = 0; code < kIpcResultCount; ++code) {
        texts.push_back(L"BrenvaleCan't connect: " + std::wstring(kIpcResultTexts[code]));
    }
    for (const std::wstring& text : texts) {
        const std::string quoted = OneLine(Narrow(text));  // a blank at the end is no word
        EXPECT_NE(guide.find(quoted.substr(0, quoted.find_last_not_of(' ') + 1)), std::string::npos)
            << quoted;
    }
    std::istringstream guideLines(raw);  // plain text that fits a console window
    for (std::string line; std::getline(guideLines, line);) {
        EXPECT_LE(line.size(), 87u) << line;
        for (unsigned char c : line) ASSERT_TRUE(c == '\r' || (c >= 0x20 && c < 0x7F)) << line;
    }

    EXPECT_TRUE(Check(Shipped("brenvale.txt")).warnings.empty()) << "the sample table is clean";
}

}  // namespace

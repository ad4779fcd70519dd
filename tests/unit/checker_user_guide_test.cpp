// The user guide and the sample table that ship in the release: users quote the texts
// they see, so the guide must carry each one exactly, and the sample must be clean.

#include <fstream>
#include <sstream>
#include <string>

#include "FakePlatform.h"
#include "ipc/IpcResult.h"
#include "tools/checker/TableCheck.h"

namespace {

std::string SampleFolder() {
    const std::string here = __FILE__;
    return here.substr(0, here.rfind("tests/unit/")) + "tools/sample/";
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The guide wraps long texts over lines; any run of blanks and line ends is one blank.
std::string OneLine(const std::string& text) {
    std::string result;
    bool blank = false;
    for (char c : text) {
        const bool isBlank = c == ' ' || c == '\r' || c == '\n' || c == '\t';
        if (isBlank && !blank) result.push_back(' ');
        if (!isBlank) result.push_back(c);
        blank = isBlank;
    }
    return result;
}

class UserGuide : public ::testing::Test {
  protected:
    void SetUp() override {
        raw = ReadFile(SampleFolder() + "README.txt");
        ASSERT_FALSE(raw.empty()) << "no user guide at " << SampleFolder();
        guide = OneLine(raw);
    }
    bool Says(const std::string& text) const {
        return guide.find(OneLine(text)) != std::string::npos;
    }
    std::string raw, guide;
};

TEST_F(UserGuide, ExplainsTheCaptionForEveryResultText) {
    for (int code = 0; code < kIpcResultCount; ++code) {
        const std::string caption = "BrenvaleCan't connect: " + Narrow(kIpcResultTexts[code]);
        EXPECT_TRUE(Says(caption)) << caption;
    }
}

TEST_F(UserGuide, QuotesEveryMessageBoxAndReportExactly) {
    using namespace shown;
    for (const std::wstring& text :
         {kNoTeamSpeak, kTeamSpeakNotThere, kOfferModule, kModuleInstalled, kSimNotThere, kAskAgain,
          kNamePrompt, kLoadFailed, kInstallFailed, kErrorAdvice, kStartFailed,
          L'"' + kTeamSpeakTitle + L'"', L'"' + kInstallTitle + L'"',
          std::wstring(L"titled \"Error\"")}) {
        EXPECT_TRUE(Says(Narrow(text))) << Narrow(text);
    }
}

TEST_F(UserGuide, TellsHowToRemoveTheSettingsInPlainTextThatFitsAConsoleWindow) {
    EXPECT_TRUE(Says("reg delete \"HKCU\\Software\\VB and VBA Program Settings\\Brenvale\" /f"));
    EXPECT_TRUE(Says("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Brenvale"));

    std::istringstream lines(raw);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        EXPECT_LE(line.size(), 86u) << "line " << number;
        for (unsigned char c : line) {
            ASSERT_TRUE(c >= 0x20 && c < 0x7F) << "line " << number << " has byte " << int(c);
        }
    }
}

TEST(SampleTable, IsCleanAndExplainedLineForLineInTheGuide) {
    const std::string sample = ReadFile(SampleFolder() + "brenvale.txt");
    BytesReader file(sample);
    FakeDecoder decoder;
    const checker::Table table = checker::CheckTable(file, decoder);
    EXPECT_GE(table.count, 2);
    EXPECT_TRUE(table.warnings.empty());
    const std::string guide = ReadFile(SampleFolder() + "README.txt");
    std::istringstream lines(sample);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        EXPECT_NE(guide.find("  " + line + "\n"), std::string::npos) << line;
    }
}

}  // namespace

// The user guide and the sample table that ship in the release: users quote the texts
// they see, so the guide must carry each one exactly, and the sample must be clean.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

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

std::string Ascii(const wchar_t* text) {
    std::string result;
    for (; *text != L'\0'; ++text) result.push_back(static_cast<char>(*text));
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
        const std::string caption = "BrenvaleCan't connect: " + Ascii(kIpcResultTexts[code]);
        EXPECT_TRUE(Says(caption)) << caption;
    }
    EXPECT_TRUE(Says(" - Can't start TeamSpeak: "));
}

TEST_F(UserGuide, QuotesEveryMessageBoxAndReportExactly) {
    const char* const texts[] = {
        "Brenvale cannot locate you TeamSpeak installation. Please click OK and follow the "
        "instructions to locate it manually.",
        "Sorry, Brenvale was unable to locate TeamSpeak in the location you supplied. Do you "
        "wish to try again?",
        "To work correctly, Brenvale requires fsuipc.dll to be installed in your FlightSim "
        "modules folder. As this is the first time you have used Brenvale it may not yet be "
        "installed. Do you wish to install it now?",
        "fsuipc.dll has been installed successfully. You will need to restart Flight Simulator.",
        "Sorry, Brenvale was unable to locate a FlightSim installation in the location you "
        "supplied. Do you wish to try again?",
        "You have selected to skip installing fsuipc.dll. Do you want to be asked about this "
        "again when you next run Brenvale?",
        "Enter your name for this session",
        "An error occured while Brenvale was loading it's channel data file and locating "
        "TeamSpeak. Brenvale will continue, however may not function correctly.",
        "An error occured while Brenvale was installing FSUIPC.DLL. Brenvale will continue, "
        "however may not function correctly.",
        "If you are unable to solve the problem, please contact the developer with the "
        "following error message:",
        "\"TeamSpeak Required\"",
        "\"FSU IPC Installation\"",
        "titled \"Error\"",
    };
    for (const char* text : texts) EXPECT_TRUE(Says(text)) << text;
}

TEST_F(UserGuide, TellsHowToRemoveTheSettings) {
    EXPECT_TRUE(Says("reg delete \"HKCU\\Software\\VB and VBA Program Settings\\Brenvale\" /f"));
    EXPECT_TRUE(Says("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Brenvale"));
}

TEST_F(UserGuide, IsPlainTextThatFitsAConsoleWindow) {
    std::istringstream lines(raw);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        EXPECT_LE(line.size(), 86u) << "line " << number;
        for (unsigned char c : line) {
            ASSERT_TRUE(c >= 0x20 && c < 0x7F) << "line " << number << " has byte " << int(c);
        }
    }
}

TEST(SampleTable, IsCleanAndExplainedLineForLineInTheGuide) {
    const std::string sample = ReadFile(SampleFolder() + "brenvale.txt");
    const checker::Table table = checker::CheckTable(
        sample, [](const std::string& field) { return std::wstring(field.begin(), field.end()); });
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

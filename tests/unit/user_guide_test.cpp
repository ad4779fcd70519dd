// The user guide that ships with the program quotes every text the program shows, which
// pins their wording, and its sample table is clean.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "ipc/IpcResult.h"
#include "tools/checker/TableCheck.h"

namespace {

// A file of the project, by its path from the project's folder.
std::string Shipped(const std::string& path) {
    const std::string here = __FILE__;
    std::ifstream file(here.substr(0, here.rfind("tests/unit/")) + path, std::ios::binary);
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
    const std::string raw = Shipped("docs/user-guide.txt");
    ASSERT_FALSE(raw.empty());
    const std::string guide = OneLine(raw);
    std::vector<std::wstring> texts(std::begin(shown::kTexts), std::end(shown::kTexts));
    for (const wchar_t* title : shown::kTitles) texts.push_back(L'"' + std::wstring(title) + L'"');
    texts.push_back(L"reg delete \"HKCU\\Software\\VB and VBA Program Settings\\Brenvale\" /f");
    // The captions of the failures the link's opening can meet at start, as the program
    // makes them; the other results never reach the caption.
    FakeApp app;
    ASSERT_TRUE(app.general.StartUp());
    for (IpcResult code : {IpcServerNotFound, IpcMessageNotRegistered, IpcAtomFailed,
                           IpcMappingFailed, IpcViewFailed, IpcBadServerVersion, IpcTimedOut,
                           IpcSendFailed, IpcBadReply, IpcSimNotRunning}) {
        texts.push_back(app.general.CannotConnectCaption(shown::kProgramName, code));
    }
    for (const std::wstring& text : texts) {
        const std::string quoted = OneLine(Narrow(text));  // a blank at the end is no word
        EXPECT_NE(guide.find(quoted.substr(0, quoted.find_last_not_of(' ') + 1)), std::string::npos)
            << quoted;
    }
    FakeSystem system;
    system.Add(FakeSystem::kTableFile, Shipped("tools/sample/brenvale-sample.txt"));
    const checker::Table sample = checker::CheckTable(
        *system.OpenForReading(FakeSystem::kTableFile), system, L"the system's code page");
    EXPECT_TRUE(sample.warnings.empty()) << "the sample table is clean";
    EXPECT_EQ(Narrow(checker::EncodingName(sample)), "ANSI text in the system's code page");
}

}  // namespace

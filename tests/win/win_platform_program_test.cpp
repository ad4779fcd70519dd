// Starting another program for real: the small child program reports how it was started.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProgramStarter.h"
#include "win_platform_support.h"

using winplatformtest::Exists;
using winplatformtest::PumpMessagesUntil;

namespace {

class ProgramStarterTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Exists(childPath_));
        ASSERT_NE(go_, nullptr);
        SetEnvironmentVariableW(L"BRENVALE_CHILD_REPORT", reportPath_.c_str());
        SetEnvironmentVariableW(L"BRENVALE_CHILD_GO", goName_.c_str());
    }
    void TearDown() override {
        SetEvent(go_);  // never leave a child waiting
        CloseHandle(go_);
        SetEnvironmentVariableW(L"BRENVALE_CHILD_REPORT", nullptr);
        SetEnvironmentVariableW(L"BRENVALE_CHILD_GO", nullptr);
        // Give a started child the time to finish before its folder goes away.
        if (started_) PumpMessagesUntil([&] { return Exists(reportPath_); }, 5000);
    }

    void Start(const std::wstring& program, const std::wstring& commandLine) {
        starter.StartProgram(program, commandLine, kShowMinimized);
        started_ = true;
    }

    // Lets the child go and waits (bounded) for its report: the command line, the
    // start-up flags and the window style, one a line.
    std::vector<std::wstring> AwaitReport() {
        SetEvent(go_);
        if (!PumpMessagesUntil([&] { return Exists(reportPath_); }, 20000)) return {};
        const std::string bytes = Win32FileSystem().ReadWholeFile(reportPath_);
        const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()),
                                bytes.size() / sizeof(wchar_t));
        std::wistringstream lines(text);
        std::vector<std::wstring> report;
        for (std::wstring line; std::getline(lines, line);) report.push_back(line);
        return report;
    }

    winplatformtest::ScratchFolder folder;
    Win32ProgramStarter starter;
    const std::wstring childPath_ =
        Win32FileSystem().ProgramFolder() + L"\\brenvale_win_platform_child.exe";
    const std::wstring reportPath_ = folder / L"report.txt";
    const std::wstring goName_ = L"BrenvaleChildGo" + std::to_wstring(GetCurrentProcessId());
    HANDLE go_ = CreateEventW(nullptr, TRUE, FALSE, goName_.c_str());
    bool started_ = false;
};

}  // namespace

TEST_F(ProgramStarterTest, StartsWithTheCommandLineAndWindowStyleAndDoesNotWait) {
    // The usual TeamSpeak folder has blanks in it, and the program path is not quoted.
    const std::wstring clientFolder = folder / L"Team Speak 2";
    ASSERT_TRUE(CreateDirectoryW(clientFolder.c_str(), nullptr));
    const std::wstring client = clientFolder + L"\\teamspeak.exe";
    ASSERT_TRUE(CopyFileW(childPath_.c_str(), client.c_str(), FALSE));
    const std::wstring commandLine = client +
                                     L" \"voice.example?nickname=Ann Lee?loginname=ann?password=p w"
                                     L"?channel=Tower?subchannel=\"";
    Start(client, commandLine);
    // StartProgram returned although the child is still waiting to be let go.
    EXPECT_FALSE(Exists(reportPath_));

    const std::vector<std::wstring> report = AwaitReport();
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[0], commandLine);
    EXPECT_TRUE(std::stoul(report[1]) & STARTF_USESHOWWINDOW);
    EXPECT_EQ(std::stoul(report[2]), static_cast<unsigned long>(SW_SHOWMINIMIZED));
}

TEST_F(ProgramStarterTest, AMissingProgramThrowsWithTheSystemsDescription) {
    const std::wstring missing = folder / L"teamspeak.exe";
    const PlatformFailure failure = winplatformtest::FailureOf(
        [&] { starter.StartProgram(missing, missing + L" \"x\"", kShowMinimized); });
    EXPECT_EQ(failure.Code(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(failure.Description(), SystemMessageText(ERROR_FILE_NOT_FOUND));
}

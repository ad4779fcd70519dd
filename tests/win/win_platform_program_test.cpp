// Starting another program for real: the small child program reports how it was started.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProgramStarter.h"
#include "win_platform_support.h"

using winplatformtest::ScratchFolder;

namespace {

struct ChildReport {
    std::wstring commandLine;
    unsigned long flags = 0;
    unsigned long showWindow = 0;
};

class ProgramStarterTest : public testing::Test {
  protected:
    void SetUp() override {
        childPath_ = Win32FileSystem().ProgramFolder() + L"\\brenvale_win_platform_child.exe";
        ASSERT_TRUE(winplatformtest::Exists(childPath_));
        reportPath_ = folder / L"report.txt";
        goName_ = L"BrenvaleChildGo" + std::to_wstring(GetCurrentProcessId());
        go_ = CreateEventW(nullptr, TRUE, FALSE, goName_.c_str());
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
        if (started_) {
            winplatformtest::PumpMessagesUntil([&] { return winplatformtest::Exists(reportPath_); },
                                               5000);
        }
    }

    void Start(const std::wstring& program, const std::wstring& commandLine) {
        starter.StartProgram(program, commandLine, kShowMinimized);
        started_ = true;
    }

    // Lets the child go and waits (bounded) for its report.
    bool AwaitReport(ChildReport& report) {
        SetEvent(go_);
        if (!winplatformtest::PumpMessagesUntil(
                [&] { return winplatformtest::Exists(reportPath_); }, 20000)) {
            return false;
        }
        const std::string bytes = winplatformtest::ReadBytes(reportPath_);
        const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()),
                                bytes.size() / sizeof(wchar_t));
        std::vector<std::wstring> lines;
        size_t start = 0;
        for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
            lines.push_back(text.substr(start, end - start));
        }
        if (lines.size() != 3) return false;
        report.commandLine = lines[0];
        report.flags = std::stoul(lines[1]);
        report.showWindow = std::stoul(lines[2]);
        return true;
    }

    ScratchFolder folder;
    Win32ProgramStarter starter;
    std::wstring childPath_, reportPath_, goName_;
    HANDLE go_ = nullptr;
    bool started_ = false;
};

}  // namespace

TEST_F(ProgramStarterTest, StartsWithTheCommandLineAndWindowStyleAndDoesNotWait) {
    const std::wstring commandLine = childPath_ +
                                     L" \"voice.example?nickname=Ann Lee?loginname=ann?password=p w"
                                     L"?channel=Tower?subchannel=\"";
    Start(childPath_, commandLine);
    // StartProgram returned although the child is still waiting to be let go.
    EXPECT_FALSE(winplatformtest::Exists(reportPath_));

    ChildReport report;
    ASSERT_TRUE(AwaitReport(report));
    EXPECT_EQ(report.commandLine, commandLine);
    EXPECT_TRUE(report.flags & STARTF_USESHOWWINDOW);
    EXPECT_EQ(report.showWindow, static_cast<unsigned long>(SW_SHOWMINIMIZED));
}

TEST_F(ProgramStarterTest, AProgramPathWithBlanksNeedsNoQuotes) {
    // The usual TeamSpeak folder has blanks in it, and the program path is not quoted.
    const std::wstring clientFolder = folder / L"Team Speak 2";
    ASSERT_TRUE(CreateDirectoryW(clientFolder.c_str(), nullptr));
    const std::wstring client = clientFolder + L"\\teamspeak.exe";
    ASSERT_TRUE(CopyFileW(childPath_.c_str(), client.c_str(), FALSE));
    const std::wstring commandLine = client + L" \"server?nickname=\"";
    Start(client, commandLine);

    ChildReport report;
    ASSERT_TRUE(AwaitReport(report));
    EXPECT_EQ(report.commandLine, commandLine);
}

TEST_F(ProgramStarterTest, AMissingProgramThrowsWithTheSystemsDescription) {
    const std::wstring missing = folder / L"teamspeak.exe";
    try {
        starter.StartProgram(missing, missing + L" \"x\"", kShowMinimized);
        FAIL() << "no failure";
    } catch (const PlatformFailure& failure) {
        EXPECT_EQ(failure.Code(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(failure.Description(), SystemMessageText(ERROR_FILE_NOT_FOUND));
    }
}

// The file operations against the real file system.

#include <gtest/gtest.h>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32FileSystem.h"
#include "win_platform_support.h"

using winplatformtest::ScratchFolder;
using winplatformtest::WriteBytes;

namespace {

class FileSystemTest : public testing::Test {
  protected:
    Win32FileSystem files;
    ScratchFolder folder;
};

// The failure a call raises, or a failure with code 0 when it raised none.
template <typename Call>
PlatformFailure FailureOf(Call call) {
    try {
        call();
    } catch (const PlatformFailure& failure) {
        return failure;
    }
    return PlatformFailure(0, L"no failure");
}

void ExpectSystemDescription(const PlatformFailure& failure, DWORD code) {
    EXPECT_EQ(failure.Code(), code);
    EXPECT_EQ(failure.Description(), SystemMessageText(code));
    EXPECT_FALSE(failure.Description().empty());
    EXPECT_NE(failure.Description().back(), L'\n');
    EXPECT_NE(failure.Description().back(), L'\r');
}

}  // namespace

TEST(SystemMessageTextTest, IsTheSystemsTextWithoutTheLineBreak) {
    const std::wstring text = SystemMessageText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_NE(text, L"Error 2");
    EXPECT_NE(text, SystemMessageText(ERROR_PATH_NOT_FOUND));
}

TEST(SystemMessageTextTest, CodeWithoutTextIsShownByNumber) {
    EXPECT_EQ(SystemMessageText(0x2FFFFFFF), L"Error 805306367");
}

TEST_F(FileSystemTest, CopyReplacesAnExistingDestination) {
    WriteBytes(folder / L"fsuipc.dll", "the new module");
    WriteBytes(folder / L"installed.dll", "an older and longer module");
    files.CopyFileReplacing(folder / L"fsuipc.dll", folder / L"installed.dll");
    EXPECT_EQ(winplatformtest::ReadBytes(folder / L"installed.dll"), "the new module");
    EXPECT_EQ(winplatformtest::ReadBytes(folder / L"fsuipc.dll"), "the new module");
}

TEST_F(FileSystemTest, CopyFailuresCarryTheSystemsDescription) {
    WriteBytes(folder / L"fsuipc.dll", "module");
    // No source beside the program.
    ExpectSystemDescription(
        FailureOf([&] { files.CopyFileReplacing(folder / L"missing.dll", folder / L"x.dll"); }),
        ERROR_FILE_NOT_FOUND);
    // No Modules folder under the simulator's folder.
    ExpectSystemDescription(FailureOf([&] {
                                files.CopyFileReplacing(folder / L"fsuipc.dll",
                                                        folder / L"Modules\\fsuipc.dll");
                            }),
                            ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(winplatformtest::Exists(folder / L"Modules"));
}

TEST_F(FileSystemTest, CopyOntoAFileInUseFails) {
    WriteBytes(folder / L"fsuipc.dll", "module");
    WriteBytes(folder / L"busy.dll", "loaded by the simulator");
    HANDLE busy = CreateFileW((folder / L"busy.dll").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    const PlatformFailure failure =
        FailureOf([&] { files.CopyFileReplacing(folder / L"fsuipc.dll", folder / L"busy.dll"); });
    CloseHandle(busy);
    ExpectSystemDescription(failure, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(winplatformtest::ReadBytes(folder / L"busy.dll"), "loaded by the simulator");
}

TEST_F(FileSystemTest, ExistenceCountsFilesOnly) {
    WriteBytes(folder / L"teamspeak.exe", "client");
    ASSERT_TRUE(CreateDirectoryW((folder / L"fs2000.exe").c_str(), nullptr));
    EXPECT_TRUE(files.FileExists(folder / L"teamspeak.exe"));
    EXPECT_FALSE(files.FileExists(folder / L"fs2000.exe")) << "a folder of that name";
    EXPECT_FALSE(files.FileExists(folder / L"missing.exe"));
    EXPECT_FALSE(files.FileExists(folder / L"no such folder\\teamspeak.exe"));
    EXPECT_FALSE(files.FileExists(L""));
}

TEST_F(FileSystemTest, ExistenceAcceptsADoubledBackslash) {
    // A picked drive root ends in a backslash, and the program appends another.
    WriteBytes(folder / L"teamspeak.exe", "client");
    EXPECT_TRUE(files.FileExists(folder.Path() + L"\\\\teamspeak.exe"));
}

TEST_F(FileSystemTest, ReadsEveryByteOfAFile) {
    std::string bytes = "123.45,server,\"a, b\"\r\n";
    bytes.push_back('\0');
    bytes += "\xE9\xFF";
    WriteBytes(folder / L"brenvale.txt", bytes);
    EXPECT_EQ(files.ReadWholeFile(folder / L"brenvale.txt"), bytes);

    WriteBytes(folder / L"empty.txt", "");
    EXPECT_EQ(files.ReadWholeFile(folder / L"empty.txt"), "");
}

TEST_F(FileSystemTest, ReadsAFileLargerThanOneChunk) {
    std::string bytes;
    for (int i = 0; i < 30000; ++i) bytes += "record" + std::to_string(i) + "\r\n";
    ASSERT_GT(bytes.size(), 200000u);
    WriteBytes(folder / L"big.txt", bytes);
    EXPECT_EQ(files.ReadWholeFile(folder / L"big.txt"), bytes);
}

TEST_F(FileSystemTest, ReadingAMissingFileGivesTheSystemsFileNotFoundText) {
    ExpectSystemDescription(FailureOf([&] { files.ReadWholeFile(folder / L"brenvale.txt"); }),
                            ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemTest, ReadsFilesWhoseNamesAreOutsideTheCodePage) {
    const std::wstring name = folder / L"\x0416\x65E5\x672C.txt";
    WriteBytes(name, "abc");
    EXPECT_EQ(files.ReadWholeFile(name), "abc");
    EXPECT_TRUE(files.FileExists(name));
}

TEST_F(FileSystemTest, ProgramFolderHoldsTheProgramAndHasNoTrailingBackslash) {
    const std::wstring programFolder = files.ProgramFolder();
    ASSERT_FALSE(programFolder.empty());
    EXPECT_NE(programFolder.back(), L'\\');
    EXPECT_TRUE(files.FileExists(programFolder + L"\\brenvale_win_platform_tests.exe"));
}

TEST_F(FileSystemTest, ConvertsFromTheSystemCodePage) {
    EXPECT_EQ(files.FromSystemCodePage(""), L"");
    EXPECT_EQ(files.FromSystemCodePage("122.80, my server"), L"122.80, my server");
    EXPECT_EQ(files.FromSystemCodePage(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
    if (GetACP() == 1252) {
        EXPECT_EQ(files.FromSystemCodePage("Caf\xE9 \x80"), L"Caf\x00E9 \x20AC");
    }
}

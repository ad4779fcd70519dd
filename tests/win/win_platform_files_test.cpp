// The file operations against the real file system.

#include <gtest/gtest.h>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32FileSystem.h"
#include "win_platform_support.h"

using winplatformtest::FailureOf;
using winplatformtest::WriteBytes;

namespace {

class FileSystemTest : public testing::Test {
  protected:
    Win32FileSystem files;
    winplatformtest::ScratchFolder folder;
};

void ExpectSystemDescription(const PlatformFailure& failure, DWORD code) {
    EXPECT_EQ(failure.Code(), code);
    EXPECT_EQ(failure.Description(), SystemMessageText(code));
}

}  // namespace

TEST(SystemMessageTextTest, IsTheSystemsTextWithoutTheLineBreakOrElseTheNumber) {
    const std::wstring text = SystemMessageText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_NE(text, L"Error 2");
    EXPECT_NE(text, SystemMessageText(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(SystemMessageText(0x2FFFFFFF), L"Error 805306367");
}

TEST_F(FileSystemTest, CopyReplacesAnExistingDestination) {
    WriteBytes(folder / L"fsuipc.dll", "the new module");
    WriteBytes(folder / L"installed.dll", "an older and longer module");
    files.CopyFileReplacing(folder / L"fsuipc.dll", folder / L"installed.dll");
    EXPECT_EQ(files.ReadWholeFile(folder / L"installed.dll"), "the new module");
    EXPECT_EQ(files.ReadWholeFile(folder / L"fsuipc.dll"), "the new module");
}

TEST_F(FileSystemTest, CopyFailuresCarryTheSystemsDescriptionAndChangeNothing) {
    WriteBytes(folder / L"fsuipc.dll", "module");
    const auto copy = [&](const wchar_t* from, const wchar_t* to) {
        return FailureOf([&] { files.CopyFileReplacing(folder / from, folder / to); });
    };
    ExpectSystemDescription(copy(L"missing.dll", L"x.dll"), ERROR_FILE_NOT_FOUND);
    ExpectSystemDescription(copy(L"fsuipc.dll", L"Modules\\fsuipc.dll"), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(winplatformtest::Exists(folder / L"Modules"));

    WriteBytes(folder / L"busy.dll", "loaded by the simulator");
    HANDLE busy = CreateFileW((folder / L"busy.dll").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    const PlatformFailure inUse = copy(L"fsuipc.dll", L"busy.dll");
    CloseHandle(busy);
    ExpectSystemDescription(inUse, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(files.ReadWholeFile(folder / L"busy.dll"), "loaded by the simulator");
}

TEST_F(FileSystemTest, ExistenceCountsFilesOnlyAndFindsTheProgram) {
    const std::wstring unicodeName = folder / L"\x0416\x65E5\x672C.exe";
    WriteBytes(folder / L"teamspeak.exe", "client");
    WriteBytes(unicodeName, "client");
    ASSERT_TRUE(CreateDirectoryW((folder / L"sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder / L"sub\\teamspeak.exe").c_str(), nullptr));
    EXPECT_TRUE(files.FileExists(folder / L"teamspeak.exe"));
    EXPECT_TRUE(files.FileExists(unicodeName));
    // A picked drive root ends in a backslash, and the program appends another.
    EXPECT_TRUE(files.FileExists(folder.Path() + L"\\\\teamspeak.exe"));
    EXPECT_FALSE(files.FileExists(folder / L"sub\\teamspeak.exe")) << "a folder of that name";
    EXPECT_FALSE(files.FileExists(folder / L"missing.exe"));
    EXPECT_FALSE(files.FileExists(folder / L"no such folder\\teamspeak.exe"));
    EXPECT_FALSE(files.FileExists(L""));
    // The program folder holds the program, and names it without a trailing backslash.
    const std::wstring programFolder = files.ProgramFolder();
    ASSERT_FALSE(programFolder.empty());
    EXPECT_NE(programFolder.back(), L'\\');
    EXPECT_TRUE(files.FileExists(programFolder + L"\\brenvale_win_platform_tests.exe"));
}

TEST_F(FileSystemTest, ReadsEveryByteOfAFileAndGivesTheSystemsFileNotFoundTextForNone) {
    std::string odd = "123.45,server,\"a, b\"\r\n";
    odd += std::string("\0\xE9\xFF", 3);
    std::string large;
    for (int i = 0; i < 30000; ++i) large += "record" + std::to_string(i) + "\r\n";
    for (const std::string& bytes : {std::string(), odd, large}) {
        const std::wstring name = folder / L"\x0416\x65E5\x672C.txt";
        WriteBytes(name, bytes);
        EXPECT_EQ(files.ReadWholeFile(name), bytes) << bytes.size() << " bytes";
    }
    ExpectSystemDescription(FailureOf([&] { files.ReadWholeFile(folder / L"brenvale.txt"); }),
                            ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemTest, ConvertsFromTheSystemCodePage) {
    EXPECT_EQ(files.FromSystemCodePage(""), L"");
    EXPECT_EQ(files.FromSystemCodePage(std::string("122.80, a\0b", 11)),
              std::wstring(L"122.80, a\0b", 11));
    if (GetACP() == 1252) {
        EXPECT_EQ(files.FromSystemCodePage("Caf\xE9 \x80"), L"Caf\x00E9 \x20AC");
    }
}

TEST_F(FileSystemTest, ReadsATableAnotherProgramHoldsOpenForWritingAndDecodesUtf8Strictly) {
    const std::wstring table = folder / L"brenvale.txt";
    WriteBytes(table, "122.80,s,l,p,c,x\r\n");
    // An editor keeps the file open for writing and lets others read it.
    HANDLE editor = CreateFileW(table.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    std::string bytes;
    const PlatformFailure failure = FailureOf([&] { bytes = files.ReadWholeFile(table); });
    CloseHandle(editor);
    EXPECT_EQ(failure.Code(), 0u) << "read refused: " << failure.Code();
    EXPECT_EQ(bytes, "122.80,s,l,p,c,x\r\n");

    EXPECT_EQ(files.FromUtf8("M\xC3\xBCnchen \xE2\x82\xAC"), L"M\x00FCnchen \x20AC");
    for (const char* invalid : {"Caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}) {
        EXPECT_NE(FailureOf([&] { files.FromUtf8(invalid); }).Code(), 0u) << invalid;
    }
}

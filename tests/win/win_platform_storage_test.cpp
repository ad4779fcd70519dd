// The file operations and the settings store against the real file system and registry.
// What the program itself reads and stores is shown end to end.
#include <gtest/gtest.h>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32SettingsStore.h"
#include "tests/win/WinTestSupport.h"

namespace {

using wintest::Contents;
using wintest::FailureOf;
using wintest::WriteBytes;

class FileSystemTest : public testing::Test {
  protected:
    Win32FileSystem files;
    wintest::ScratchFolder folder;
};

TEST_F(FileSystemTest, CopyReplacesOrFailsWithTheSystemsTextChangingNothing) {
    WriteBytes(folder / L"fsuipc.dll", "the new module");
    WriteBytes(folder / L"old.dll", "an older and longer module");
    WriteBytes(folder / L"busy.dll", "loaded by the simulator");
    const struct {
        const wchar_t *from, *to;
        DWORD error;  // 0: copied
    } copies[] = {{L"fsuipc.dll", L"old.dll", 0},
                  {L"missing.dll", L"x.dll", ERROR_FILE_NOT_FOUND},
                  {L"fsuipc.dll", L"Modules\\fsuipc.dll", ERROR_PATH_NOT_FOUND},
                  {L"fsuipc.dll", L"busy.dll", ERROR_SHARING_VIOLATION}};
    for (const auto& copy : copies) {
        const std::string before = Contents(folder / copy.to);
        HANDLE busy = CreateFileW((folder / L"busy.dll").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);  // held, shared with no one
        const PlatformFailure failure =
            FailureOf([&] { files.CopyFileReplacing(folder / copy.from, folder / copy.to); });
        CloseHandle(busy);
        EXPECT_EQ(failure.Code(), copy.error) << copy.to;
        EXPECT_EQ(failure.Description(),
                  copy.error ? wintest::SystemText(copy.error) : L"no failure");
        EXPECT_EQ(Contents(folder / copy.to), copy.error ? before : "the new module") << copy.to;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / L"Modules"));
}

TEST_F(FileSystemTest, ExistenceCountsFilesOnly) {
    WriteBytes(folder / L"teamspeak.exe", "client");
    WriteBytes(folder / L"\x0416\x65E5\x672C.exe", "client");
    std::filesystem::create_directories(folder / L"sub\\teamspeak.exe");
    const std::pair<std::wstring, bool> paths[] = {
        {folder / L"teamspeak.exe", true},
        {folder / L"\x0416\x65E5\x672C.exe", true},
        {folder.path + L"\\\\teamspeak.exe", true},  // a picked drive root ends in a backslash
        {folder / L"sub\\teamspeak.exe", false},
        {folder / L"missing.exe", false},
        {folder / L"no such folder\\teamspeak.exe", false},
        {L"", false}};
    for (const auto& [path, exists] : paths) EXPECT_EQ(files.FileExists(path), exists) << path;
}

TEST_F(FileSystemTest, ReadsATableAnEditorHoldsOpenForWriting) {
    const std::wstring table = folder / L"brenvale.txt";
    WriteBytes(table, "122.80,s,l,p,c,x\r\n");
    HANDLE editor = CreateFileW(table.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    char bytes[64] = {};
    size_t read = 0;
    const PlatformFailure failure =
        FailureOf([&] { read = files.OpenForReading(table)->Read(bytes, sizeof bytes); });
    CloseHandle(editor);
    EXPECT_NE(editor, INVALID_HANDLE_VALUE);
    EXPECT_EQ(failure.Code(), 0u);
    EXPECT_EQ(std::string(bytes, read), "122.80,s,l,p,c,x\r\n");
}

TEST_F(FileSystemTest, DecodesUtf8StrictlyAndTheSystemCodePage) {
    EXPECT_EQ(files.FromUtf8("M\xC3\xBCnchen \xE2\x82\xAC"), L"M\x00FCnchen \x20AC");
    for (const char* invalid : {"Caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}) {
        EXPECT_NE(FailureOf([&] { files.FromUtf8(invalid); }).Code(), 0u) << invalid;
    }
    EXPECT_EQ(files.FromSystemCodePage(""), L"");
    EXPECT_EQ(files.FromSystemCodePage(std::string("122.80, a\0b", 11)),
              std::wstring(L"122.80, a\0b", 11));
    if (GetACP() == 1252) {
        EXPECT_EQ(files.FromSystemCodePage("Caf\xE9 \x80"), L"Caf\x00E9 \x20AC");
    }
}

// An application of the test's own, removed at the end.
class SettingsStoreTest : public testing::Test {
  protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, applicationKey.c_str()); }
    std::wstring Get(const wchar_t* name) {
        return store.GetSetting(application, L"Settings", name);
    }

    Win32SettingsStore store;
    const std::wstring application = L"BrenvaleTest" + std::to_wstring(GetCurrentProcessId());
    const std::wstring applicationKey = L"Software\\VB and VBA Program Settings\\" + application;
    const std::wstring settingsKey = applicationKey + L"\\Settings";
};

TEST_F(SettingsStoreTest, AnyTextRoundTripsAsAStringValue) {
    for (const std::wstring& text :
         {L"D:\\" + std::wstring(300, L'x') + L"\\\x0416\x65E5", std::wstring()}) {
        store.SaveSetting(application, L"Settings", L"TSPath", text);
        wchar_t stored[1024] = L"?";
        DWORD bytes = sizeof stored;
        RegGetValueW(HKEY_CURRENT_USER, settingsKey.c_str(), L"TSPath", RRF_RT_REG_SZ, nullptr,
                     stored, &bytes);
        EXPECT_EQ(stored, text);
        EXPECT_EQ(Get(L"TSPath"), text);
    }
}

TEST_F(SettingsStoreTest, AbsentAndNonTextSettingsReadEmptyAndReadingCreatesNothing) {
    EXPECT_EQ(Get(L"TSPath"), L"");
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, applicationKey.c_str(), 0, KEY_READ, &key), 0);
    const DWORD number = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, settingsKey.c_str(), L"FSUIPCINST", REG_DWORD, &number, 4);
    EXPECT_EQ(Get(L"FSUIPCINST"), L"");
    EXPECT_EQ(Get(L"TSPath"), L"");
}

TEST_F(SettingsStoreTest, AWriteTheRegistryRefusesThrowsWithTheSystemsText) {
    // Below a volatile key the registry refuses to create a lasting one.
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, applicationKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
    const PlatformFailure failure =
        FailureOf([&] { store.SaveSetting(application, L"Settings", L"TSPath", L"C:\\TS"); });
    EXPECT_EQ(failure.Code(), static_cast<uint32_t>(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_EQ(failure.Description(), wintest::SystemText(ERROR_CHILD_MUST_BE_VOLATILE));
}

}  // namespace

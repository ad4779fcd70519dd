// The settings store against the real registry of the test's Wine prefix.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/Win32SettingsStore.h"
#include "win_platform_support.h"

namespace {

const std::wstring kProgramSettingsKey = L"Software\\VB and VBA Program Settings\\";
const std::wstring kApplicationKey = kProgramSettingsKey + L"Brenvale";
const std::wstring kSettingsKey = kApplicationKey + L"\\Settings";

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Uses the program's real section with value names of its own, and leaves the registry
// as it found it.
class SettingsStoreTest : public testing::Test {
  protected:
    void TearDown() override {
        if (!applicationKeyExisted_) {
            RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey.c_str());
            return;
        }
        for (const wchar_t* name : {L"TestPath", L"TestNumber"}) {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey.c_str(), name);
        }
    }

    void Save(const wchar_t* name, const std::wstring& text) {
        store.SaveSetting(L"Brenvale", L"Settings", name, text);
    }
    std::wstring Get(const wchar_t* name) {
        return store.GetSetting(L"Brenvale", L"Settings", name);
    }

    // Reads a value the way any other program would: as a string of the exact key.
    std::wstring RegistryString(const wchar_t* name) {
        wchar_t buffer[1024];
        DWORD bytes = sizeof buffer, type = REG_NONE;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kSettingsKey.c_str(), name, RRF_RT_ANY, &type,
                               buffer, &bytes),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        return type == REG_SZ ? std::wstring(buffer, bytes / sizeof(wchar_t) - 1) : L"not text";
    }

    Win32SettingsStore store;

  private:
    bool applicationKeyExisted_ = KeyExists(kApplicationKey);
};

}  // namespace

// The program's own values are shown end to end; here the texts it never writes itself.
TEST_F(SettingsStoreTest, AnyTextRoundTripsAndAbsentOrNonTextSettingsReadAsEmpty) {
    const std::wstring longPath = L"D:\\" + std::wstring(300, L'x') + L"\\\x0416\x65E5";
    for (const std::wstring& text : {longPath, std::wstring()}) {
        Save(L"TestPath", text);
        EXPECT_EQ(RegistryString(L"TestPath"), text);
        EXPECT_EQ(Get(L"TestPath"), text);
    }

    const std::wstring application = L"BrenvaleAbsent" + std::to_wstring(GetCurrentProcessId());
    EXPECT_EQ(store.GetSetting(application, L"Settings", L"TSPath"), L"");
    EXPECT_FALSE(KeyExists(kProgramSettingsKey + application)) << "reading creates nothing";
    EXPECT_EQ(Get(L"TestMissing"), L"");
    const DWORD number = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey.c_str(), L"TestNumber", REG_DWORD,
                              &number, sizeof number),
              ERROR_SUCCESS);
    EXPECT_EQ(Get(L"TestNumber"), L"");
    Save(L"TestNumber", L"1");  // puts proper text in its place
    EXPECT_EQ(Get(L"TestNumber"), L"1");
}

TEST(SettingsStoreFailureTest, AWriteTheRegistryRefusesThrowsWithTheSystemsDescription) {
    // Below a volatile key the registry refuses to create a lasting one.
    const std::wstring application = L"BrenvaleVolatile" + std::to_wstring(GetCurrentProcessId());
    const std::wstring applicationKey = kProgramSettingsKey + application;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, applicationKey.c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const PlatformFailure failure = winplatformtest::FailureOf(
        [&] { Win32SettingsStore().SaveSetting(application, L"Settings", L"TSPath", L"C:\\TS"); });
    RegDeleteTreeW(HKEY_CURRENT_USER, applicationKey.c_str());
    EXPECT_EQ(failure.Code(), static_cast<uint32_t>(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_FALSE(failure.Description().empty());
}

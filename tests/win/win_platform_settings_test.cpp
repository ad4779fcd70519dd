// The settings store against the real registry of the test's Wine prefix.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/PlatformFailure.h"
#include "platform/win32/Win32SettingsStore.h"

namespace {

const wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\Brenvale\\Settings";
const wchar_t kApplicationKey[] = L"Software\\VB and VBA Program Settings\\Brenvale";

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Reads a value the way any other program would, with its type.
bool ReadRegistryText(const std::wstring& name, std::wstring& text, DWORD& type) {
    wchar_t buffer[1024];
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), RRF_RT_ANY, &type, buffer,
                     &bytes) != ERROR_SUCCESS) {
        return false;
    }
    text.assign(buffer, bytes / sizeof(wchar_t) - 1);
    return true;
}

// Uses the program's real section with value names of its own, and leaves the registry
// as it found it.
class SettingsStoreTest : public testing::Test {
  protected:
    void SetUp() override { applicationKeyExisted_ = KeyExists(kApplicationKey); }
    void TearDown() override {
        if (!applicationKeyExisted_) {
            RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
        } else {
            for (const wchar_t* name : {L"TestPath", L"TestEmpty", L"TestNumber"}) {
                RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name);
            }
        }
    }

    Win32SettingsStore store;

  private:
    bool applicationKeyExisted_ = false;
};

}  // namespace

TEST_F(SettingsStoreTest, SavedTextLandsInTheProgramsRegistryKeyAsAString) {
    store.SaveSetting(L"Brenvale", L"Settings", L"TestPath", L"C:\\Program Files\\Teamspeak2_RC2");
    std::wstring text;
    DWORD type = REG_NONE;
    ASSERT_TRUE(ReadRegistryText(L"TestPath", text, type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text, L"C:\\Program Files\\Teamspeak2_RC2");
    EXPECT_EQ(store.GetSetting(L"Brenvale", L"Settings", L"TestPath"),
              L"C:\\Program Files\\Teamspeak2_RC2");
}

TEST_F(SettingsStoreTest, ALaterSaveReplacesTheValue) {
    const std::wstring longPath = L"D:\\" + std::wstring(300, L'x') + L"\\\x0416\x65E5";
    store.SaveSetting(L"Brenvale", L"Settings", L"TestPath", L"1");
    store.SaveSetting(L"Brenvale", L"Settings", L"TestPath", longPath);
    EXPECT_EQ(store.GetSetting(L"Brenvale", L"Settings", L"TestPath"), longPath);
}

TEST_F(SettingsStoreTest, AnEmptyValueReadsAsEmpty) {
    store.SaveSetting(L"Brenvale", L"Settings", L"TestEmpty", L"");
    std::wstring text = L"not read";
    DWORD type = REG_NONE;
    ASSERT_TRUE(ReadRegistryText(L"TestEmpty", text, type));
    EXPECT_EQ(text, L"");
    EXPECT_EQ(store.GetSetting(L"Brenvale", L"Settings", L"TestEmpty"), L"");
}

TEST_F(SettingsStoreTest, AbsentSettingsReadAsEmpty) {
    const std::wstring application = L"BrenvaleAbsent" + std::to_wstring(GetCurrentProcessId());
    EXPECT_EQ(store.GetSetting(application, L"Settings", L"TSPath"), L"");
    EXPECT_FALSE(KeyExists(L"Software\\VB and VBA Program Settings\\" + application))
        << "reading creates nothing";

    store.SaveSetting(L"Brenvale", L"Settings", L"TestPath", L"x");
    EXPECT_EQ(store.GetSetting(L"Brenvale", L"Settings", L"TestMissing"), L"");
}

TEST_F(SettingsStoreTest, AValueThatIsNotTextReadsAsEmpty) {
    store.SaveSetting(L"Brenvale", L"Settings", L"TestPath", L"x");
    const DWORD number = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"TestNumber", REG_DWORD, &number,
                              sizeof number),
              ERROR_SUCCESS);
    EXPECT_EQ(store.GetSetting(L"Brenvale", L"Settings", L"TestNumber"), L"");
    // Saving puts proper text in its place.
    store.SaveSetting(L"Brenvale", L"Settings", L"TestNumber", L"1");
    EXPECT_EQ(store.GetSetting(L"Brenvale", L"Settings", L"TestNumber"), L"1");
}

TEST(SettingsStoreFailureTest, AWriteTheRegistryRefusesThrowsWithTheSystemsDescription) {
    // Below a volatile key the registry refuses to create a lasting one.
    const std::wstring application = L"BrenvaleVolatile" + std::to_wstring(GetCurrentProcessId());
    const std::wstring applicationKey = L"Software\\VB and VBA Program Settings\\" + application;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, applicationKey.c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    Win32SettingsStore store;
    bool thrown = false;
    try {
        store.SaveSetting(application, L"Settings", L"TSPath", L"C:\\TS");
    } catch (const PlatformFailure& failure) {
        thrown = true;
        EXPECT_EQ(failure.Code(), static_cast<uint32_t>(ERROR_CHILD_MUST_BE_VOLATILE));
        EXPECT_FALSE(failure.Description().empty());
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, applicationKey.c_str());
    EXPECT_TRUE(thrown);
}

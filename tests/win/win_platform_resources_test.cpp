// The resources linked into the program: its icon, version information and manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "platform/win32/res/resource.h"

namespace {

std::string Resource(const wchar_t* type, WORD id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (!found) return "";
    return std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                       SizeofResource(nullptr, found));
}

TEST(ResourcesTest, TheIconHasA2ColourAndA16Colour32x32ImageAndBothLoad) {
    // The group: a 6-byte header with the count at 4, then 14-byte entries holding the
    // width at 0, the height at 1 and the bits per pixel at 6.
    const std::string group = Resource(RT_GROUP_ICON, IDI_BRENVALE);
    std::vector<std::array<int, 3>> images;
    for (size_t entry = 6; group.size() >= 6 && entry + 14 <= group.size(); entry += 14) {
        images.push_back({group[entry], group[entry + 1], group[entry + 6]});
    }
    EXPECT_EQ(images, (std::vector<std::array<int, 3>>{{32, 32, 1}, {32, 32, 4}}));
    for (UINT depth : {LR_MONOCHROME, LR_DEFAULTCOLOR}) {
        HICON icon = static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BRENVALE), IMAGE_ICON, 32, 32, depth));
        EXPECT_NE(icon, nullptr) << depth;
        DestroyIcon(icon);
    }
}

TEST(ResourcesTest, TheVersionTextsCarryTheProjectVersion) {
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::vector<BYTE> info(GetFileVersionInfoSizeW(program, nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(program, 0, info.size(), info.data()));
    const std::wstring version = BRENVALE_PROJECT_VERSION;  // the build's, as wide text
    const std::pair<const wchar_t*, std::wstring> texts[] = {
        {L"ProductName", L"Brenvale"}, {L"ProductVersion", version}, {L"FileVersion", version}};
    for (const auto& [name, expected] : texts) {
        wchar_t* value = nullptr;
        UINT length = 0;
        VerQueryValueW(info.data(), (std::wstring(L"\\StringFileInfo\\040904B0\\") + name).c_str(),
                       reinterpret_cast<void**>(&value), &length);
        EXPECT_EQ(std::wstring(value ? value : L""), expected) << name;
    }
}

TEST(ResourcesTest, TheManifestRunsAsInvokerAwareOfEachMonitorsDpi) {
    const std::string manifest = Resource(RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("asInvoker"), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
}

}  // namespace

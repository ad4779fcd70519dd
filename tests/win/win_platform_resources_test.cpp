// The resources linked into the program: its icon and version information.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/res/resource.h"

namespace {

#define BRENVALE_WIDE_TEXT(text) L##text
#define BRENVALE_WIDE(text) BRENVALE_WIDE_TEXT(text)

#pragma pack(push, 2)
struct GroupIconEntry {  // one image of an icon group, as stored in the resource
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

std::vector<GroupIconEntry> IconGroup(WORD id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    if (!found) return {};
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    const WORD count = reinterpret_cast<const WORD*>(data)[2];
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(data + 6);
    return std::vector<GroupIconEntry>(entries, entries + count);
}

std::wstring VersionText(const std::vector<BYTE>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"";
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

}  // namespace

TEST(ResourcesTest, IconHasA2ColourAndA16Colour32x32ImageAndBothLoad) {
    std::vector<int> depths;
    for (const GroupIconEntry& image : IconGroup(IDI_BRENVALE)) {
        EXPECT_TRUE(image.width == 32 && image.height == 32);
        depths.push_back(image.bitCount);
    }
    EXPECT_EQ(depths, (std::vector<int>{1, 4}));

    for (UINT depthFlag : {LR_MONOCHROME, LR_DEFAULTCOLOR}) {
        HICON icon =
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BRENVALE),
                                          IMAGE_ICON, 32, 32, depthFlag));
        ICONINFO info{};
        ASSERT_TRUE(icon && GetIconInfo(icon, &info));
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(ResourcesTest, VersionInformationNamesTheProduct) {
    wchar_t program[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program, 0, size, info.data()));
    EXPECT_EQ(VersionText(info, L"ProductName"), L"Brenvale");
    EXPECT_FALSE(VersionText(info, L"FileDescription").empty());
    // The build passes the project's version in.
    for (const wchar_t* name : {L"ProductVersion", L"FileVersion"}) {
        EXPECT_EQ(VersionText(info, name), BRENVALE_WIDE(BRENVALE_PROJECT_VERSION)) << name;
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), BRENVALE_PROJECT_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), BRENVALE_PROJECT_VERSION_MINOR);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), BRENVALE_PROJECT_VERSION_PATCH);
}

TEST(ResourcesTest, ManifestIsEmbedded) {
    HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, manifest)));
    const std::string xml(text, SizeofResource(nullptr, manifest));
    EXPECT_NE(xml.find("asInvoker"), std::string::npos);
    EXPECT_NE(xml.find("PerMonitorV2"), std::string::npos);
}

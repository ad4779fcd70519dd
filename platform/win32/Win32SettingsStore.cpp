// Settings kept per user in the registry.

#include "platform/win32/Win32SettingsStore.h"

#include <windows.h>

#include <vector>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32Helpers.h"

std::wstring SettingsKeyPath(const std::wstring& application, const std::wstring& section) {
    return L"Software\\VB and VBA Program Settings\\" + application + L"\\" + section;
}

std::wstring Win32SettingsStore::GetSetting(const std::wstring& application,
                                            const std::wstring& section, const std::wstring& key) {
    const std::wstring path = SettingsKeyPath(application, section);
    std::vector<wchar_t> buffer(64);
    for (;;) {
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), key.c_str(),
                                            RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes);
        if (status == ERROR_SUCCESS) {
            // The size counts the terminating NUL that RegGetValueW guarantees.
            const size_t characters = bytes / sizeof(wchar_t);
            return std::wstring(buffer.data(), characters > 0 ? characters - 1 : 0);
        }
        // A value that is not text counts as absent, so the program writes a good one
        // over it instead of failing at every start.
        if (status == ERROR_FILE_NOT_FOUND || status == ERROR_UNSUPPORTED_TYPE) {
            return std::wstring();
        }
        if (status != ERROR_MORE_DATA) throw FailureFor(static_cast<uint32_t>(status));
        // The value grew between the calls, or the buffer was too small: try again.
        buffer.resize(bytes / sizeof(wchar_t) + 1);
    }
}

void Win32SettingsStore::SaveSetting(const std::wstring& application, const std::wstring& section,
                                     const std::wstring& key, const std::wstring& value) {
    HKEY created = nullptr;
    const std::wstring path = SettingsKeyPath(application, section);
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS) throw FailureFor(static_cast<uint32_t>(status));
    const UniqueRegistryKey sectionKey(created);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(sectionKey.get(), key.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    if (status != ERROR_SUCCESS) throw FailureFor(static_cast<uint32_t>(status));
}

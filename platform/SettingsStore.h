#pragma once
// Per-user text settings addressed by application, section and key.

#include <string>

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // Empty text when the key is absent.
    virtual std::wstring GetSetting(const std::wstring& application, const std::wstring& section,
                                    const std::wstring& key) = 0;
    // Throws PlatformFailure when the value cannot be written.
    virtual void SaveSetting(const std::wstring& application, const std::wstring& section,
                             const std::wstring& key, const std::wstring& value) = 0;
};

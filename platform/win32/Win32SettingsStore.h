#pragma once
// Settings kept per user in the registry, in the place Windows programs of this kind
// have always used: below HKEY_CURRENT_USER, the key
// Software\VB and VBA Program Settings\<application>\<section> holds one string value
// per setting.

#include "platform/SettingsStore.h"

class Win32SettingsStore : public SettingsStore {
  public:
    std::wstring GetSetting(const std::wstring& application, const std::wstring& section,
                            const std::wstring& key) override;
    void SaveSetting(const std::wstring& application, const std::wstring& section,
                     const std::wstring& key, const std::wstring& value) override;
};

// The registry key, below HKEY_CURRENT_USER, that holds a section's values.
std::wstring SettingsKeyPath(const std::wstring& application, const std::wstring& section);

#pragma once
// Where the program keeps what it settles once: the application and section of its
// settings and their two keys. The pilot's machine of the tests and benchmarks writes them.

namespace settings {

constexpr wchar_t kApplication[] = L"Brenvale";
constexpr wchar_t kSection[] = L"Settings";
constexpr wchar_t kTeamSpeakPathKey[] = L"TSPath";
constexpr wchar_t kModuleInstalledKey[] = L"FSUIPCINST";

}  // namespace settings

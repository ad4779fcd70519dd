#include "Scenario.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {
namespace {

constexpr wchar_t kTeamSpeakClass[] = L"BrenvaleTeamSpeakStandIn";
constexpr int kSimFrequencyField = 106;  // the stand-in simulator's typed-entry field
constexpr DWORD kPollMs = 50;

void RemoveTree(const std::wstring& folder) {
    std::error_code ignored;  // whatever cannot go now is the temporary folder's to keep
    std::filesystem::remove_all(folder, ignored);
}

void EndProcess(PROCESS_INFORMATION& process) {
    if (!process.hProcess) return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = {};
}

PROCESS_INFORMATION Start(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << std::string(program.begin(), program.end())
                      << ", error " << GetLastError();
    }
    return process;
}

BOOL CALLBACK EndTeamSpeakStandIn(HWND window, LPARAM) {
    if (driver::ClassName(window) != kTeamSpeakClass) return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    return TRUE;
}

BOOL CALLBACK CollectTeamSpeakStandIn(HWND window, LPARAM windows) {
    if (driver::ClassName(window) == kTeamSpeakClass) {
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    }
    return TRUE;
}

void CopyOrFail(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << std::string(from.begin(), from.end()) << ", error "
                      << GetLastError();
    }
}

}  // namespace

std::wstring BuildFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
    return text;
}

Scenario::Scenario() {
    static int runs = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"brenvale-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++runs);
    RemoveTree(root_);
    programFolder_ = root_ + L"\\Brenvale";
    teamSpeakFolder_ = root_ + L"\\Team Speak 2";
    CreateDirectoryW(root_.c_str(), nullptr);
    CreateDirectoryW(programFolder_.c_str(), nullptr);
    CopyOrFail(BuildFolder() + L"\\brenvale.exe", programFolder_ + L"\\brenvale.exe");
    EnumWindows(EndTeamSpeakStandIn, 0);
}

Scenario::~Scenario() {
    EndProcess(brenvale_);
    EndProcess(simulator_);
    EnumWindows(EndTeamSpeakStandIn, 0);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    RemoveTree(root_);
}

void Scenario::PutFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(path.c_str(), std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good());
}

void Scenario::WriteChannelTable(const std::string& bytes) {
    PutFile(programFolder_ + L"\\brenvale.txt", bytes);
}

void Scenario::InstallTeamSpeakStandIn() {
    CreateDirectoryW(teamSpeakFolder_.c_str(), nullptr);
    CopyOrFail(BuildFolder() + L"\\teamspeak-standin\\teamspeak.exe",
               teamSpeakFolder_ + L"\\teamspeak.exe");
}

void Scenario::SetUpMachine() {
    InstallTeamSpeakStandIn();
    ApplySettings({teamSpeakFolder_, L"1"});
}

void Scenario::ApplySettings(const StartSettings& settings) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto put = [key](const wchar_t* name, const std::optional<std::wstring>& value) {
        if (!value) return;
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    };
    put(L"TSPath", settings.teamSpeakPath);
    put(L"FSUIPCINST", settings.moduleOffer);
    RegCloseKey(key);
}

std::wstring Scenario::ReadSetting(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return L"<absent>";
    }
    return value;
}

void Scenario::StartSimulator(const std::wstring& arguments) {
    simulator_ = Start(BuildFolder() + L"\\standin-sim.exe", arguments);
    ASSERT_NE(driver::WaitForMainWindow(simulator_.dwProcessId, 10000), nullptr)
        << "the stand-in simulator shows no window";
}

void Scenario::TuneSimulator(const std::wstring& frequency) {
    HWND window = driver::WaitForMainWindow(simulator_.dwProcessId, 5000);
    ASSERT_NE(window, nullptr);
    HWND field = GetDlgItem(window, kSimFrequencyField);
    ASSERT_NE(field, nullptr);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(frequency.c_str()));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDOK)));
}

void Scenario::StartBrenvale() {
    brenvale_ = Start(programFolder_ + L"\\brenvale.exe", L"");
}

driver::DialogContents Scenario::NextDialog(DWORD timeoutMs) {
    HWND dialog = driver::WaitForDialog(brenvale_.dwProcessId, timeoutMs);
    if (!dialog) {
        ADD_FAILURE() << "no dialog appeared";
        return {};
    }
    return driver::ReadDialog(dialog);
}

void Scenario::Answer(const driver::DialogContents& dialog, int buttonId) {
    ASSERT_NE(dialog.window, nullptr);
    ASSERT_TRUE(driver::PressButton(dialog.window, buttonId)) << "no button " << buttonId;
    // The next dialog must not be mistaken for this one.
    DWORD start = GetTickCount();
    while (IsWindow(dialog.window) && IsWindowVisible(dialog.window)) {
        ASSERT_LT(GetTickCount() - start, 10000u) << "the dialog stayed open";
        Sleep(kPollMs);
    }
}

void Scenario::AnswerName(const std::wstring& name) {
    driver::DialogContents box = NextDialog();
    ASSERT_EQ(box.title, L"Brenvale");
    ASSERT_NE(box.text.find(L"Enter your name for this session"), std::wstring::npos);
    driver::TypeIntoEdit(box.window, name);
    Answer(box, IDOK);
}

HWND Scenario::MainWindow(DWORD timeoutMs) {
    return driver::WaitForMainWindow(brenvale_.dwProcessId, timeoutMs);
}

std::wstring Scenario::Caption() {
    HWND window = MainWindow();
    return window ? driver::WindowText(window) : L"<no window>";
}

std::wstring Scenario::LabelText() {
    HWND window = MainWindow();
    HWND label = window ? driver::FindChild(window, L"Static") : nullptr;
    return label ? driver::WindowText(label) : L"<no label>";
}

bool Scenario::WaitForLabel(const std::wstring& text, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (LabelText() != text) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

void Scenario::CloseBrenvale() {
    HWND window = MainWindow();
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
}

bool Scenario::BrenvaleEnded(DWORD timeoutMs, DWORD& exitCode) {
    return driver::WaitForExit(brenvale_.hProcess, timeoutMs, exitCode);
}

bool Scenario::BrenvaleRunning() {
    return brenvale_.hProcess && WaitForSingleObject(brenvale_.hProcess, 0) == WAIT_TIMEOUT;
}

std::vector<std::wstring> Scenario::TeamSpeakStarts() {
    std::ifstream file((teamSpeakFolder_ + L"\\teamspeak-log.txt").c_str(), std::ios::binary);
    std::vector<std::wstring> starts;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        starts.push_back(Widen(line));
    }
    return starts;
}

bool Scenario::WaitForStarts(size_t count, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (TeamSpeakStarts().size() < count) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

std::vector<HWND> Scenario::TeamSpeakWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectTeamSpeakStandIn, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace e2e

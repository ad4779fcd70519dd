#pragma once
// In-memory stand-ins for the platform services the application uses. Each records what
// was asked of it in one shared event log, so tests can check the order of things, and
// plays scripted answers (a box's button, a picked folder, a missing file, a failed start).

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "FakeIpcTransport.h"
#include "app/FrmMain.h"
#include "app/General.h"
#include "platform/Platform.h"
#include "platform/PlatformFailure.h"

using EventLog = std::vector<std::string>;

inline std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class FakeMainWindow : public MainWindowView {
  public:
    explicit FakeMainWindow(EventLog& log) : log_(log) {}
    std::wstring Caption() const override { return caption; }
    void SetCaption(const std::wstring& text) override {
        log_.push_back("window:caption " + Narrow(text));
        caption = text;
    }
    void ShowLabelText(const std::wstring& text) override {
        log_.push_back("window:label " + Narrow(text));
        labelShown.push_back(text);
    }
    void EnableTimer() override {
        log_.push_back("window:enable-timer");
        timerEnabled = true;
    }
    void Show() override {
        log_.push_back("window:show");
        shown = true;
    }
    uintptr_t NativeHandle() const override { return kHandle; }

    static constexpr uintptr_t kHandle = 0x4711;
    std::wstring caption = L"Brenvale";
    std::vector<std::wstring> labelShown;
    bool timerEnabled = false;
    bool shown = false;

  private:
    EventLog& log_;
};

class FakeWindowFactory : public MainWindowFactory {
  public:
    explicit FakeWindowFactory(EventLog& log) : log_(log) {}
    std::unique_ptr<MainWindowView> CreateMainWindow(MainWindowEvents& handler) override {
        log_.push_back("window:create");
        events = &handler;
        auto created = std::make_unique<FakeMainWindow>(log_);
        window = created.get();
        return created;
    }
    MainWindowEvents* events = nullptr;
    FakeMainWindow* window = nullptr;  // owned by the application's window

  private:
    EventLog& log_;
};

struct ShownBox {
    std::wstring text, title;
    unsigned flags;
};

class FakeDialogs : public Dialogs {
  public:
    explicit FakeDialogs(EventLog& log) : log_(log) {}
    int MessageBox(const std::wstring& text, const std::wstring& title, unsigned flags) override {
        log_.push_back("dialog:box " + Narrow(title));
        boxes.push_back({text, title, flags});
        if ((flags & 0xF) != kMbYesNo) return kIdOk;
        if (answers.empty()) return kIdNo;  // unscripted questions end folder loops
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) override {
        log_.push_back("dialog:input");
        inputPrompts.push_back(prompt + L"|" + title);
        if (!inputFailure.empty()) throw PlatformFailure(1, inputFailure);
        return nameTyped;
    }
    std::wstring PickFolder(uintptr_t owner, const std::wstring& instruction) override {
        log_.push_back("dialog:pick");
        pickers.push_back(instruction);
        pickerOwners.push_back(owner);
        if (picks.empty()) return L"";
        const std::wstring pick = picks.front();
        picks.pop_front();
        return pick;
    }
    std::deque<int> answers;
    std::deque<std::wstring> picks;
    std::wstring nameTyped = L"Pilot";
    std::wstring inputFailure;  // non-empty: the input box fails with this description
    std::vector<ShownBox> boxes;
    std::vector<std::wstring> pickers, inputPrompts;
    std::vector<uintptr_t> pickerOwners;

  private:
    EventLog& log_;
};

class FakeSettings : public SettingsStore {
  public:
    explicit FakeSettings(EventLog& log) : log_(log) {}
    std::wstring GetSetting(const std::wstring& application, const std::wstring& section,
                            const std::wstring& key) override {
        log_.push_back("settings:get " + Narrow(key));
        auto found = values.find({application, section, key});
        return found == values.end() ? std::wstring() : found->second;
    }
    void SaveSetting(const std::wstring& application, const std::wstring& section,
                     const std::wstring& key, const std::wstring& value) override {
        log_.push_back("settings:save " + Narrow(key));
        if (!saveFailure.empty()) throw PlatformFailure(5, saveFailure);
        values[{application, section, key}] = value;
        ++saves;
    }
    std::wstring Value(const std::wstring& key) const {
        auto found = values.find({L"Brenvale", L"Settings", key});
        return found == values.end() ? L"<absent>" : found->second;
    }
    void Set(const std::wstring& key, const std::wstring& value) {
        values[{L"Brenvale", L"Settings", key}] = value;
    }
    std::map<std::tuple<std::wstring, std::wstring, std::wstring>, std::wstring> values;
    std::wstring saveFailure;
    int saves = 0;

  private:
    EventLog& log_;
};

class FakeFiles : public FileSystem {
  public:
    static constexpr wchar_t kNotFound[] = L"The system cannot find the file specified.";
    explicit FakeFiles(EventLog& log) : log_(log) {}
    std::wstring ProgramFolder() override { return programFolder; }
    std::string ReadWholeFile(const std::wstring& path) override {
        log_.push_back("files:read " + Narrow(path));
        auto found = contents.find(path);
        if (found == contents.end()) throw PlatformFailure(2, kNotFound);
        return found->second;
    }
    bool FileExists(const std::wstring& path) override {
        existenceTests.push_back(path);
        if (!existsFailure.empty()) throw PlatformFailure(21, existsFailure);
        return contents.count(path) != 0;
    }
    void CopyFileReplacing(const std::wstring& from, const std::wstring& to) override {
        log_.push_back("files:copy");
        if (!copyFailure.empty()) throw PlatformFailure(3, copyFailure);
        auto source = contents.find(from);
        if (source == contents.end()) throw PlatformFailure(2, kNotFound);
        contents[to] = source->second;
    }
    // Each byte as the character of the same number, enough for tests to see every byte.
    std::wstring FromSystemCodePage(const std::string& bytes) override {
        if (!conversionFailureOn.empty() && bytes == conversionFailureOn) {
            throw PlatformFailure(1113, L"No mapping for the Unicode character exists.");
        }
        std::wstring text;
        for (unsigned char byte : bytes) text.push_back(static_cast<wchar_t>(byte));
        return text;
    }
    void Add(const std::wstring& path, const std::string& bytes = "x") { contents[path] = bytes; }

    std::wstring programFolder = L"C:\\Brenvale";
    std::map<std::wstring, std::string> contents;
    std::vector<std::wstring> existenceTests;
    std::wstring existsFailure, copyFailure;
    std::string conversionFailureOn;

  private:
    EventLog& log_;
};

struct StartedProgram {
    std::wstring applicationPath, commandLine;
    int windowStyle;
};

class FakeProgramStarter : public ProgramStarter {
  public:
    explicit FakeProgramStarter(EventLog& log) : log_(log) {}
    void StartProgram(const std::wstring& applicationPath, const std::wstring& commandLine,
                      int windowStyle) override {
        log_.push_back("programs:start");
        if (!failure.empty()) throw PlatformFailure(2, failure);
        started.push_back({applicationPath, commandLine, windowStyle});
    }
    std::vector<StartedProgram> started;
    std::wstring failure;  // non-empty: every start fails with this description

  private:
    EventLog& log_;
};

// The fake server's transport, noting in the log when the link is sought and released.
class LoggedIpcTransport : public FakeIpcTransport {
  public:
    explicit LoggedIpcTransport(EventLog& log) : log_(log) {}
    uintptr_t FindServerWindow(const char* className) override {
        log_.push_back(std::string("ipc:find ") + className);
        return FakeIpcTransport::FindServerWindow(className);
    }
    void UnmapView(uint8_t* view) override {
        log_.push_back("ipc:unmap");
        FakeIpcTransport::UnmapView(view);
    }

  private:
    EventLog& log_;
};

// A whole fake system. By default the simulator answers, and the machine is already set
// up: channel table present, TeamSpeak where the settings say, the module offer settled.
struct FakeSystem {
    static constexpr wchar_t kTableFile[] = L"C:\\Brenvale\\brenvale.txt";
    static constexpr wchar_t kTeamSpeakDir[] = L"D:\\Voice\\TS2";

    FakeSystem() {
        files.Add(kTableFile, "122.80,ts.example.org,login,secret,Main,Sub\r\n");
        files.Add(std::wstring(kTeamSpeakDir) + L"\\teamspeak.exe");
        settings.Set(L"TSPath", kTeamSpeakDir);
        settings.Set(L"FSUIPCINST", L"1");
    }
    // Position in the log of the first event starting with `prefix`, or -1.
    int IndexOf(const std::string& prefix) const {
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
        }
        return -1;
    }
    FakeMainWindow& Window() { return *windows.window; }

    EventLog log;
    FakeWindowFactory windows{log};
    FakeDialogs dialogs{log};
    FakeSettings settings{log};
    FakeFiles files{log};
    FakeProgramStarter programs{log};
    LoggedIpcTransport ipc{log};
    Platform platform{windows, dialogs, settings, files, programs, ipc};
};

// The application over a fake system, not yet started.
struct FakeApp {
    FakeSystem sys;
    General general{sys.platform};
    FrmMain& Window() { return general.frmMain(); }
    bool LinkReleased() const {
        return sys.ipc.MappedViews() == 0 && sys.ipc.OpenHandles() == 0 && sys.ipc.LiveAtoms() == 0;
    }
};

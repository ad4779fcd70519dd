#pragma once
// One in-memory machine playing every platform service the application uses. It notes what
// was asked of it in an event log, so tests can check the order of things, and plays
// scripted answers (a box's button, a picked folder, a missing file, a failed start).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "FakeIpcTransport.h"
#include "app/FrmMain.h"
#include "app/General.h"
#include "app/ShownTexts.h"
#include "platform/Platform.h"
#include "platform/PlatformFailure.h"
#include "tests/support/BytesReader.h"
#include "tools/checker/Utf8.h"

inline std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// `count` records on distinct frequencies of the COM band, 25 kHz apart, their other fields
// numbered: "118.00,server1,login1,pass1,chan1,sub1", "118.02,server2,...".
inline std::string Records(int count) {
    std::string text;
    for (int n = 1; n <= count; ++n) {
        const int hundredths = (n - 1) % 40 * 25 / 10;
        const std::string id = std::to_string(n);
        text += std::to_string(118 + (n - 1) / 40) + (hundredths < 10 ? ".0" : ".") +
                std::to_string(hundredths) + ",server" + id + ",login" + id + ",pass" + id +
                ",chan" + id + ",sub" + id + "\r\n";
    }
    return text;
}

// Text as UTF-16 bytes, in either byte order; only characters below U+10000.
inline std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string bytes;
    for (wchar_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
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
    }
    void EnableTimer(uint32_t) override {
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
    bool timerEnabled = false, shown = false;

  private:
    EventLog& log_;
};

// A message box as shown: text, title and flags.
using ShownBox = std::tuple<std::wstring, std::wstring, unsigned>;

// The error report box: what failed, the advice, then the system's description.
inline ShownBox ErrorBox(const std::wstring& what, const std::wstring& description) {
    return {what + L"\r\n\r\n" + shown::kContactDeveloper + L"\r\n" + description, L"Error", 48};
}

struct StartedProgram {
    std::wstring applicationPath, commandLine;
    int windowStyle;
};

template <class T>
T TakeFirst(std::deque<T>& script, T whenEmpty) {
    if (script.empty()) return whenEmpty;
    T first = script.front();
    script.pop_front();
    return first;
}

// By default the simulator answers, and the machine is already set up: channel table
// present, TeamSpeak where the settings say, the module offer settled.
class FakeSystem : public MainWindowFactory,
                   public Dialogs,
                   public SettingsStore,
                   public FileSystem,
                   public ProgramStarter {
  public:
    static constexpr wchar_t kTableFile[] = L"C:\\Brenvale\\brenvale.txt";
    static constexpr wchar_t kTeamSpeakDir[] = L"D:\\Voice\\TS2";
    static constexpr wchar_t kNotFound[] = L"The system cannot find the file specified.";

    FakeSystem() {
        Add(kTableFile, "122.80,ts.example.org,login,secret,Main,Sub\r\n");
        Add(std::wstring(kTeamSpeakDir) + L"\\teamspeak.exe");
        Set(L"TSPath", kTeamSpeakDir);
        Set(L"FSUIPCINST", L"1");
    }

    std::unique_ptr<MainWindowView> CreateMainWindow(MainWindowEvents& handler) override {
        log.push_back("window:create");
        events = &handler;
        auto created = std::make_unique<FakeMainWindow>(log);
        window = created.get();
        return created;
    }

    int ShowMessageBox(const std::wstring& text, const std::wstring& title,
                       unsigned flags) override {
        boxes.push_back({text, title, flags});
        if ((flags & 0xF) != kMbYesNo) return kIdOk;
        return TakeFirst(answers, int(kIdNo));  // unscripted questions end folder loops
    }
    std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) override {
        log.push_back("dialog:input " + Narrow(prompt + L"|" + title));
        if (!inputFailure.empty()) throw PlatformFailure(inputFailure);
        return nameTyped;
    }
    std::wstring PickFolder(uintptr_t owner, const std::wstring& instruction) override {
        log.push_back("dialog:pick " + std::to_string(owner) + " " + Narrow(instruction));
        if (!pickFailure.empty()) throw PlatformFailure(pickFailure);
        return TakeFirst(picks, std::wstring());
    }

    std::wstring GetSetting(const std::wstring& application, const std::wstring& section,
                            const std::wstring& key) override {
        log.push_back("settings:get " + Narrow(key));
        auto found = values.find(application + L"\\" + section + L"\\" + key);
        return found == values.end() ? std::wstring() : found->second;
    }
    void SaveSetting(const std::wstring& application, const std::wstring& section,
                     const std::wstring& key, const std::wstring& value) override {
        if (!saveFailure.empty()) throw PlatformFailure(saveFailure);
        values[application + L"\\" + section + L"\\" + key] = value;
        log.push_back("settings:save " + Narrow(key));
    }
    std::wstring Value(const std::wstring& key) const {
        auto found = values.find(L"Brenvale\\Settings\\" + key);
        return found == values.end() ? L"<absent>" : found->second;
    }
    void Set(const std::wstring& key, const std::wstring& value) {
        values[L"Brenvale\\Settings\\" + key] = value;
    }

    std::wstring ProgramFolder() override { return L"C:\\Brenvale"; }
    std::unique_ptr<FileReader> OpenForReading(const std::wstring& path) override {
        log.push_back("files:read " + Narrow(path));
        return std::make_unique<Reader>(*this, Contents(path));
    }
    bool FileExists(const std::wstring& path) override {
        log.push_back("files:exists " + Narrow(path));
        if (!existsFailure.empty()) throw PlatformFailure(existsFailure);
        return contents.count(path) != 0;
    }
    void CopyFileReplacing(const std::wstring& from, const std::wstring& to) override {
        contents[to] = Contents(from);
    }
    std::wstring FromSystemCodePage(const std::string& bytes) override {
        return Decoding(decoder_.FromSystemCodePage(bytes));
    }
    std::wstring FromUtf8(const std::string& bytes) override {
        return Decoding(decoder_.FromUtf8(bytes));
    }
    std::wstring FromUtf8Replacing(const std::string& bytes) override {
        return Decoding(decoder_.FromUtf8Replacing(bytes));
    }
    bool ToSystemCodePage(const std::wstring& text, std::string& bytes) override {
        return decoder_.ToSystemCodePage(text, bytes);
    }
    void Add(const std::wstring& path, const std::string& bytes = "x") { contents[path] = bytes; }

    void StartProgram(const std::wstring& applicationPath, const std::wstring& commandLine,
                      int windowStyle) override {
        log.push_back("programs:start");
        if (!startFailure.empty()) throw PlatformFailure(startFailure);
        started.push_back({applicationPath, commandLine, windowStyle});
    }

    // Position in the log of the first event starting with `prefix`, or -1.
    int IndexOf(const std::string& prefix) const {
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
        }
        return -1;
    }
    // The rest of each event starting with `prefix`, in order.
    std::vector<std::string> Events(const std::string& prefix) const {
        return Entries(log, prefix);
    }
    FakeMainWindow& Window() { return *window; }

    EventLog log;
    FakeIpcTransport ipc{log};
    MainWindowEvents* events = nullptr;
    FakeMainWindow* window = nullptr;  // owned by the application's window
    // Script: scripted answers, and non-empty failures make that service fail so.
    std::deque<int> answers;
    std::deque<std::wstring> picks;
    std::wstring nameTyped = L"Pilot";
    std::wstring inputFailure, saveFailure, existsFailure, startFailure, pickFailure;
    // Reading files: at most this many bytes per read; a failure, or running out of
    // memory, once this many bytes have been read; and how many were read in all.
    size_t readChunk = SIZE_MAX;
    size_t failReadAfter = SIZE_MAX;
    bool readFailsOutOfMemory = false;
    size_t bytesRead = 0;
    int openReaders = 0;
    int decodedWhileOpen = 0;  // conversions made while a file was open for reading
    // A failure the next conversion of text throws, once.
    std::exception_ptr decodeFailure;
    std::map<std::wstring, std::wstring> values;  // by "application\\section\\key"
    std::map<std::wstring, std::string> contents;
    // What was asked.
    std::vector<ShownBox> boxes;
    std::vector<StartedProgram> started;
    Platform platform{*this, *this, *this, *this, *this, ipc};

  private:
    checker::PortableCodec decoder_;  // the code page is Windows-1252

    std::wstring Decoding(std::wstring text) {
        if (openReaders > 0) ++decodedWhileOpen;
        if (decodeFailure) std::rethrow_exception(std::exchange(decodeFailure, nullptr));
        return text;
    }
    // A file read in pieces, as the script says.
    class Reader : public FileReader {
      public:
        Reader(FakeSystem& system, std::string bytes)
            : system_(system), bytes_(std::move(bytes)), file_(bytes_, system.readChunk) {
            ++system_.openReaders;
        }
        ~Reader() override { --system_.openReaders; }
        size_t Read(char* buffer, size_t capacity) override {
            if (system_.bytesRead >= system_.failReadAfter) {
                if (system_.readFailsOutOfMemory) throw std::bad_alloc();
                throw PlatformFailure(L"Data error (cyclic redundancy check).");
            }
            const size_t count =
                file_.Read(buffer, std::min(capacity, system_.failReadAfter - system_.bytesRead));
            system_.bytesRead += count;
            return count;
        }

      private:
        FakeSystem& system_;
        const std::string bytes_;
        BytesReader file_;  // over bytes_
    };

    std::string Contents(const std::wstring& path) const {
        auto found = contents.find(path);
        if (found == contents.end()) throw PlatformFailure(kNotFound);
        return found->second;
    }
};

// The application over a fake system, not yet started.
struct FakeApp {
    FakeSystem sys;
    General general{sys.platform};
    FrmMain& Window() { return general.frmMain(); }
    bool LinkReleased() const { return sys.ipc.HoldsNothing(); }
    // Loads the window over this channel table file.
    FrmMain& LoadTable(const std::string& bytes) {
        sys.Add(FakeSystem::kTableFile, bytes);
        return Window();
    }
    void ExpectBoxes(const std::vector<ShownBox>& expected) const {
        EXPECT_EQ(sys.boxes, expected);
    }
};

// A machine where nothing is known yet: no stored TeamSpeak folder, no module offer settled.
struct FirstStart : FakeApp {
    explicit FirstStart(const wchar_t* teamSpeakPath = nullptr) {
        sys.values.clear();
        if (teamSpeakPath) sys.Set(L"TSPath", teamSpeakPath);
        sys.Add(L"C:\\Brenvale\\fsuipc.dll", "module");
        sys.Add(L"E:\\TS\\teamspeak.exe");
        sys.Add(L"F:\\FS2000\\fs2000.exe");
    }
    void Script(std::deque<std::wstring> picks, std::deque<int> answers = {}) {
        sys.picks = std::move(picks);
        sys.answers = std::move(answers);
    }
};

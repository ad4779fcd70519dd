#pragma once
// An in-process stand-in for the system calls of the link: windows, the registered
// message, atoms and named mappings are scripted, sends are served by a SimServerCore
// working on the fake mapping's bytes, and every call is noted in one log
// ("ipc:Sleep 100", "ipc:DeleteGlobalAtom", ...).

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ipc/IpcTransport.h"
#include "tools/simserver/SimServerCore.h"

using EventLog = std::vector<std::string>;

// The rest of each entry of the log that starts with `prefix`, in order.
inline std::vector<std::string> Entries(const EventLog& log, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& entry : log) {
        if (entry.rfind(prefix, 0) == 0) found.push_back(entry.substr(prefix.size()));
    }
    return found;
}

class FakeIpcTransport : public IpcTransport {
  public:
    FakeIpcTransport() : log_(ownLog_) {}  // for users that read no log
    explicit FakeIpcTransport(EventLog& log) : log_(log) {}

    struct SendOutcome {
        bool answered = true;    // false: the send fails
        uint32_t lastError = 0;  // the last error a failed send leaves
    };

    // ---- script
    std::map<std::string, uintptr_t> windows{{"UIPCMAIN", 0x5150}};  // class -> handle
    uint32_t registeredMessage = 0xC0DE;
    bool failAtom = false, failMapping = false, failView = false;
    // Outcomes of the next sends, one per send; once empty, every send is answered.
    std::deque<SendOutcome> sendScript;
    // Runs on the area after the server has processed it, to see or tamper with it.
    std::function<void(uint8_t* area)> afterServe;
    SimServerCore server;

    // The arguments of each logged call of that name, in order.
    std::vector<std::string> Calls(const std::string& name) const {
        return Entries(log_, "ipc:" + name);
    }
    // Makes a mapping of that name exist, held by someone else.
    void CreateForeignMapping(const std::string& name) {
        named_[name] = std::make_shared<MappingObject>(MappingObject{name, {}, 1});
    }
    bool MappingNamed(const std::string& name) const { return named_.count(name) != 0; }
    bool HoldsNothing() const { return handles_.empty() && views_.empty() && atoms_.empty(); }

    // ---- IpcTransport
    uintptr_t FindServerWindow(const char* className) override {
        Note("FindServerWindow ", className);
        auto found = windows.find(className);
        return found == windows.end() ? 0 : found->second;
    }
    uint32_t RegisterMessage(const char* name) override {
        registeredName_ = name;
        return registeredMessage;
    }
    uint32_t CurrentProcessId() override { return 0x1A4; }

    uint16_t AddGlobalAtom(const char* name) override {
        Note("AddGlobalAtom ", name);
        if (failAtom) return 0;
        atoms_[kAtom] = name;
        return kAtom;
    }
    void DeleteGlobalAtom(uint16_t atom) override {
        Note("DeleteGlobalAtom", "");
        atoms_.erase(atom);
    }

    Mapping CreateMapping(const char* name, uint32_t size) override {
        Note("CreateMapping ", name);
        if (failMapping) return {};
        Mapping result;
        auto& object = named_[name];
        if (object) {
            result.alreadyExisted = true;
        } else {
            object = std::make_shared<MappingObject>(MappingObject{name, {}, 0});
            object->bytes.assign(size, 0);
        }
        ++object->references;
        result.handle = nextHandle_++;
        handles_[result.handle] = object;
        return result;
    }
    uint8_t* MapView(uintptr_t mapping) override {
        auto found = handles_.find(mapping);
        if (failView || found == handles_.end()) return nullptr;
        ++found->second->references;
        uint8_t* view = found->second->bytes.data();
        views_[view] = found->second;
        return view;
    }
    void UnmapView(uint8_t* view) override {
        Note("UnmapView", "");
        Release(views_, view);
    }
    void CloseMapping(uintptr_t mapping) override {
        Note("CloseMapping", "");
        Release(handles_, mapping);
    }

    // Logged as "Send <window> <message> <wParam> <lParam> <time-out>", in decimal.
    bool SendWithTimeout(uintptr_t window, uint32_t message, int32_t wParam, int32_t lParam,
                         uint32_t timeoutMs, uint32_t& reply) override {
        Note("Send ", std::to_string(window) + " " + std::to_string(message) + " " +
                          std::to_string(wParam) + " " + std::to_string(lParam) + " " +
                          std::to_string(timeoutMs));
        SendOutcome outcome;
        if (!sendScript.empty()) {
            outcome = sendScript.front();
            sendScript.pop_front();
        }
        if (outcome.answered && (!IsServerWindow(window) || message != registeredMessage)) {
            outcome = {false, 1400};  // invalid window handle
        }
        if (outcome.lastError != 0) lastError_ = outcome.lastError;  // else left as it was
        if (outcome.answered) reply = Serve(wParam);
        return outcome.answered;
    }
    void ClearLastError() override {
        Note("ClearLastError", "");
        lastError_ = 0;
    }
    uint32_t LastError() override { return lastError_; }
    void Sleep(uint32_t milliseconds) override { Note("Sleep ", std::to_string(milliseconds)); }

  private:
    static constexpr uint16_t kAtom = 0xC123;
    struct MappingObject {
        std::string name;
        std::vector<uint8_t> bytes;
        int references = 0;
    };
    using ObjectPtr = std::shared_ptr<MappingObject>;

    void Note(const char* call, const std::string& arguments) {
        log_.push_back("ipc:" + std::string(call) + arguments);
    }
    bool IsServerWindow(uintptr_t window) const {
        return std::any_of(windows.begin(), windows.end(),
                           [window](const auto& entry) { return entry.second == window; });
    }
    // The server finds the area by the atom's name, as the real one does.
    uint32_t Serve(int32_t wParam) {
        auto atom = atoms_.find(static_cast<uint16_t>(wParam));
        if (atom == atoms_.end() || registeredName_ != "FSASMLIB:IPC") return 0;
        auto mapping = named_.find(atom->second);
        if (mapping == named_.end() || mapping->second->bytes.empty()) return 0;
        std::vector<uint8_t>& bytes = mapping->second->bytes;
        const uint32_t reply = server.ProcessArea(bytes.data(), bytes.size());
        if (afterServe) afterServe(bytes.data());
        return reply;
    }
    template <typename Key>
    void Release(std::map<Key, ObjectPtr>& holders, Key key) {
        auto found = holders.find(key);
        if (found == holders.end()) return;
        if (--found->second->references == 0) named_.erase(found->second->name);
        holders.erase(found);
    }

    EventLog ownLog_;
    EventLog& log_;
    std::map<uint16_t, std::string> atoms_;
    std::map<std::string, ObjectPtr> named_;
    std::map<uintptr_t, ObjectPtr> handles_;
    std::map<uint8_t*, ObjectPtr> views_;
    uintptr_t nextHandle_ = 0x100;
    uint32_t lastError_ = 0;
    std::string registeredName_;
};

#pragma once
// An in-process stand-in for the system calls of the link: windows, the registered
// message, atoms and named mappings are scripted and counted, sends are served by a
// SimServerCore working on the fake mapping's bytes, and sleeps are only recorded.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ipc/IpcTransport.h"
#include "tools/simserver/SimServerCore.h"

class FakeIpcTransport : public IpcTransport {
  public:
    static constexpr uint32_t kInvalidWindowError = 1400;

    struct SendOutcome {
        bool answered = true;    // false: the send fails
        uint32_t lastError = 0;  // the last error a failed send leaves
    };
    struct SentMessage {
        uintptr_t window;
        uint32_t message;
        int32_t wParam;
        int32_t lParam;
        uint32_t timeoutMs;
    };

    // ---- script
    std::map<std::string, uintptr_t> windows;  // window class -> handle; absent: none
    uint32_t registeredMessage = 0xC0DE;
    uint32_t processId = 0x1A4;
    uint16_t nextAtom = 0xC123;
    bool failAtom = false;
    bool failMapping = false;
    bool failView = false;
    // Outcomes of the next sends, one per send; once empty, every send is answered.
    std::deque<SendOutcome> sendScript;
    // Runs on the area after the server has processed it, e.g. to tamper with replies.
    std::function<void(uint8_t* area)> afterServe;
    SimServerCore server;

    // ---- what happened
    std::vector<std::string> windowLookups;
    std::vector<SentMessage> sends;
    std::vector<uint32_t> sleeps;
    int sendsWithoutClear = 0;  // sends with no ClearLastError since the previous send
    int registerCalls = 0;
    int deleteAtomCalls = 0;
    int unmapCalls = 0;
    int closeMappingCalls = 0;

    FakeIpcTransport() { windows["UIPCMAIN"] = 0x5150; }

    // Makes a mapping of that name exist, held by someone else.
    void CreateForeignMapping(const std::string& name) {
        auto object = std::make_shared<MappingObject>();
        object->name = name;
        object->references = 1;
        foreign_.push_back(object);
        named_[name] = object;
    }
    bool MappingNamed(const std::string& name) const { return named_.count(name) != 0; }
    size_t OpenHandles() const { return handles_.size(); }
    size_t MappedViews() const { return views_.size(); }
    size_t LiveAtoms() const { return atoms_.size(); }
    std::string AtomName(uint16_t atom) const {
        auto found = atoms_.find(atom);
        return found == atoms_.end() ? std::string() : found->second;
    }
    std::string LastAtomName() const { return lastAtomName_; }
    std::string LastMappingName() const { return lastMappingName_; }
    // The bytes of the area a view shows, for checks after the exchange.
    const uint8_t* LastViewBytes() const { return lastView_; }

    // ---- IpcTransport
    uintptr_t FindServerWindow(const char* className) override {
        windowLookups.push_back(className);
        auto found = windows.find(className);
        return found == windows.end() ? 0 : found->second;
    }
    uint32_t RegisterMessage(const char* name) override {
        ++registerCalls;
        registeredName_ = name;
        return registeredMessage;
    }
    uint32_t CurrentProcessId() override { return processId; }

    uint16_t AddAtom(const char* name) override {
        lastAtomName_ = name;
        if (failAtom) return 0;
        atoms_[nextAtom] = name;
        return nextAtom;
    }
    void DeleteAtom(uint16_t atom) override {
        ++deleteAtomCalls;
        atoms_.erase(atom);
    }

    Mapping CreateMapping(const char* name, uint32_t size) override {
        lastMappingName_ = name;
        if (failMapping) return {};
        auto existing = named_.find(name);
        Mapping result;
        std::shared_ptr<MappingObject> object;
        if (existing != named_.end()) {
            object = existing->second;
            result.alreadyExisted = true;
        } else {
            object = std::make_shared<MappingObject>();
            object->name = name;
            object->bytes.assign(size, 0);
            named_[name] = object;
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
        lastView_ = view;
        return view;
    }
    void UnmapView(uint8_t* view) override {
        ++unmapCalls;
        auto found = views_.find(view);
        if (found == views_.end()) return;
        Release(found->second);
        views_.erase(found);
    }
    void CloseMapping(uintptr_t mapping) override {
        ++closeMappingCalls;
        auto found = handles_.find(mapping);
        if (found == handles_.end()) return;
        Release(found->second);
        handles_.erase(found);
    }

    bool SendWithTimeout(uintptr_t window, uint32_t message, int32_t wParam, int32_t lParam,
                         uint32_t timeoutMs, uint32_t& reply) override {
        sends.push_back({window, message, wParam, lParam, timeoutMs});
        if (!clearedSinceSend_) ++sendsWithoutClear;
        clearedSinceSend_ = false;
        if (!sendScript.empty()) {
            const SendOutcome outcome = sendScript.front();
            sendScript.pop_front();
            if (!outcome.answered) {
                lastError_ = outcome.lastError;
                return false;
            }
        }
        if (!IsServerWindow(window) || message != registeredMessage) {
            lastError_ = kInvalidWindowError;
            return false;
        }
        reply = Serve(wParam);
        return true;
    }
    void ClearLastError() override {
        clearedSinceSend_ = true;
        lastError_ = 0;
    }
    uint32_t LastError() override { return lastError_; }
    void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }

  private:
    struct MappingObject {
        std::string name;
        std::vector<uint8_t> bytes;
        int references = 0;
    };

    bool IsServerWindow(uintptr_t window) const {
        for (const auto& entry : windows) {
            if (entry.second == window) return true;
        }
        return false;
    }
    // The server finds the area by the atom's name, as the real one does.
    uint32_t Serve(int32_t wParam) {
        auto atom = atoms_.find(static_cast<uint16_t>(wParam));
        if (atom == atoms_.end() || registeredName_ != "FSASMLIB:IPC") return 0;
        auto mapping = named_.find(atom->second);
        if (mapping == named_.end() || mapping->second->bytes.empty()) return 0;
        uint8_t* area = mapping->second->bytes.data();
        const uint32_t reply = server.ProcessArea(area, mapping->second->bytes.size());
        if (afterServe) afterServe(area);
        return reply;
    }
    void Release(const std::shared_ptr<MappingObject>& object) {
        if (--object->references == 0) named_.erase(object->name);
    }

    std::map<uint16_t, std::string> atoms_;
    std::map<std::string, std::shared_ptr<MappingObject>> named_;
    std::map<uintptr_t, std::shared_ptr<MappingObject>> handles_;
    std::map<uint8_t*, std::shared_ptr<MappingObject>> views_;
    std::vector<std::shared_ptr<MappingObject>> foreign_;
    uintptr_t nextHandle_ = 0x100;
    uint32_t lastError_ = 0;
    bool clearedSinceSend_ = false;
    std::string registeredName_;
    std::string lastAtomName_;
    std::string lastMappingName_;
    uint8_t* lastView_ = nullptr;
};

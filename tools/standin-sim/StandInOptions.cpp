// The stand-in simulator's command line.

#include "tools/standin-sim/StandInOptions.h"

#include <algorithm>
#include <cwchar>
#include <functional>
#include <map>

#include "tools/standin-sim/Com1Radio.h"

namespace {

// A whole number, decimal or 0x-prefixed hexadecimal, no larger than `max`.
bool ParseNumber(const std::wstring& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text[0] == L'-' || text[0] == L'+' || text[0] == L' ') return false;
    const bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    const std::wstring digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 16) return false;
    wchar_t* end = nullptr;
    const unsigned long long parsed = std::wcstoull(digits.c_str(), &end, hex ? 16 : 10);
    if (*end != L'\0' || parsed > max) return false;
    value = parsed;
    return true;
}

bool ParseScheduleEntry(const std::wstring& entry, ScheduledFrequency& scheduled) {
    const size_t at = entry.find(L'@');
    if (at == std::wstring::npos) return false;
    uint64_t ms = 0;
    if (!Com1Radio::Parse(entry.substr(0, at), scheduled.khz)) return false;
    if (!ParseNumber(entry.substr(at + 1), UINT32_MAX, ms)) return false;
    scheduled.atMs = static_cast<uint32_t>(ms);
    return true;
}

bool ParseSchedule(const std::wstring& text, std::vector<ScheduledFrequency>& schedule) {
    schedule.clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos) comma = text.size();
        ScheduledFrequency entry;
        if (!ParseScheduleEntry(text.substr(start, comma - start), entry)) return false;
        schedule.push_back(entry);
        start = comma + 1;
    }
    std::stable_sort(
        schedule.begin(), schedule.end(),
        [](const ScheduledFrequency& a, const ScheduledFrequency& b) { return a.atMs < b.atMs; });
    return true;
}

using ValueOption = std::function<bool(const std::wstring&, StandInOptions&)>;

template <typename T>
ValueOption NumberInto(T StandInOptions::*field, uint64_t max) {
    return [field, max](const std::wstring& text, StandInOptions& options) {
        uint64_t value = 0;
        if (!ParseNumber(text, max, value)) return false;
        options.*field = static_cast<T>(value);
        return true;
    };
}

const std::map<std::wstring, ValueOption>& ValueOptions() {
    static const std::map<std::wstring, ValueOption> options = {
        {L"--class",
         [](const std::wstring& text, StandInOptions& o) {
             if (text != L"UIPCMAIN" && text != L"FS98MAIN") return false;
             o.windowClass.assign(text.begin(), text.end());
             return true;
         }},
        {L"--version", NumberInto(&StandInOptions::serverVersion, UINT32_MAX)},
        {L"--sim", NumberInto(&StandInOptions::simulator, UINT16_MAX)},
        {L"--signature", NumberInto(&StandInOptions::signature, UINT16_MAX)},
        {L"--reply", NumberInto(&StandInOptions::replyValue, UINT32_MAX)},
        {L"--delay", NumberInto(&StandInOptions::delayMs, UINT32_MAX)},
        {L"--hang-after",
         [](const std::wstring& text, StandInOptions& o) {
             o.hang = true;
             return NumberInto(&StandInOptions::hangAfter, UINT32_MAX)(text, o);
         }},
        {L"--exit-after", NumberInto(&StandInOptions::exitAfterMs, UINT32_MAX)},
        {L"--com1", [](const std::wstring& text,
                       StandInOptions& o) { return Com1Radio::Parse(text, o.com1Khz); }},
        {L"--schedule", [](const std::wstring& text,
                           StandInOptions& o) { return ParseSchedule(text, o.schedule); }},
        {L"--title",
         [](const std::wstring& text, StandInOptions& o) {
             o.title = text;
             return true;
         }},
    };
    return options;
}

bool ParseFlag(const std::wstring& arg, StandInOptions& options) {
    if (arg == L"--hang") {
        options.hang = true;
    } else if (arg == L"--zero-versions") {
        options.zeroVersions = true;
    } else if (arg == L"--malformed") {
        options.malformed = true;
    } else if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
        options.showHelp = true;
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool ParseStandInOptions(const std::vector<std::wstring>& args, StandInOptions& options,
                         std::wstring& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (ParseFlag(arg, options)) continue;
        const auto option = ValueOptions().find(arg);
        if (option == ValueOptions().end()) {
            error = L"Unknown option: " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = L"Missing value after " + arg;
            return false;
        }
        if (!option->second(args[++i], options)) {
            error = L"Bad value for " + arg + L": " + args[i];
            return false;
        }
    }
    return true;
}

const wchar_t* StandInUsage() {
    return L"standin-sim answers the FSUIPC link in place of the simulator.\n"
           L"\n"
           L"--class UIPCMAIN|FS98MAIN: the window class to own (UIPCMAIN)\n"
           L"--version 0xNNNNNNNN: server version at 0x3304 (0x19980005)\n"
           L"--sim N: simulator number at 0x3308 (2)\n"
           L"--signature 0xNNNN: signature at 0x3308 (0xFADE)\n"
           L"--reply N: reply value for each request (1)\n"
           L"--delay MS: wait before answering each request\n"
           L"--hang: never answer, so that senders time out\n"
           L"--hang-after N: answer N requests, then hang\n"
           L"--zero-versions: answer the version reads with zeros\n"
           L"--malformed: leave a record of an unknown type in the area\n"
           L"--com1 122.80: the COM1 frequency at start (122.80)\n"
           L"--schedule F@MS,...: COM1 frequency F from MS ms after start\n"
           L"--exit-after MS: close after MS ms\n"
           L"--title TEXT: the window title\n"
           L"--help: this text\n"
           L"\n"
           L"Numbers are decimal or 0x-prefixed hexadecimal.";
}

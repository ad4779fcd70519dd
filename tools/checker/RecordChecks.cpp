// The checks of each record's values: a frequency the radio can never show, a record
// hidden behind an earlier one with the same frequency, a heading read as a record, and
// values that break the TeamSpeak argument or the command line, that an editor does not
// show, or that TeamSpeak cannot read.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/CodePageFit.h"
#include "ipc/Com1Frequency.h"
#include "tools/checker/TableCheck.h"

namespace checker {
namespace {

// The COM band in hundredths of a MHz, as the radio shows it.
constexpr int kLowestChannel = kCom1LowestKhz / 10;
constexpr int kHighestChannel = kCom1HighestKhz / 10;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// 122.80 -> 12280; only for texts in display form.
int Hundredths(const std::wstring& frequency) {
    int value = 0;
    for (wchar_t c : frequency) {
        if (IsDigit(c)) value = value * 10 + (c - L'0');
    }
    return value;
}

// A 25 kHz channel shows two decimals ending in 0, 2, 5 or 7 (122.825 shows as 122.82).
bool IsShownByA25kHzChannel(const std::wstring& frequency) {
    const wchar_t last = frequency.back();
    return last == L'0' || last == L'2' || last == L'5' || last == L'7';
}

// 122.825: the radio shows two decimals, 122.82.
bool HasThreeDecimals(const std::wstring& frequency) {
    return frequency.size() == 7 && IsDisplayForm(frequency.substr(0, 6)) && IsDigit(frequency[6]);
}

// A heading line names its columns; the first is then called "Frequency", "Freq" or
// "COM1" (in any case), which no frequency the radio shows can be.
bool LooksLikeHeading(const std::wstring& frequency) {
    std::wstring lower;
    for (wchar_t c : frequency) lower.push_back(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    return lower == L"frequency" || lower == L"freq" || lower == L"com1";
}

// C0, DEL and C1: they show nothing, or move the cursor.
bool IsControl(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// The value's control characters, each once, as the report writes them; NUL has a
// warning of its own.
std::wstring ControlCharacters(const std::wstring& value) {
    std::wstring found;
    for (wchar_t c : value) {
        if (c != L'\0' && IsControl(c) && found.find(c) == std::wstring::npos) found.push_back(c);
    }
    std::wstring shown;
    for (wchar_t c : found) shown += (shown.empty() ? L"" : L", ") + Printable(std::wstring(1, c));
    return shown;
}

struct Checker {
    Table& table;
    TextCodec& codec;
    std::map<std::wstring, int> firstRecordOf;

    void Warn(int record, std::wstring text) {
        table.warnings.push_back({record, table.lines[record], std::move(text)});
    }

    void CheckFrequency(int record) {
        const std::wstring& frequency = table.columns.Frequency[record];
        if (HasThreeDecimals(frequency)) {
            const std::wstring shown = frequency.substr(0, 6);
            Warn(record, L"frequency " + frequency +
                             L" has three decimals, but the radio shows two, " + shown +
                             L", and only that text matches; write " + shown);
            return;
        }
        if (!IsDisplayForm(frequency)) {
            Warn(record, L"frequency \"" + frequency +
                             L"\" is not in the form 1dd.dd (for example 122.80), so it never "
                             L"matches the radio");
            return;
        }
        const int hundredths = Hundredths(frequency);
        if (hundredths < kLowestChannel || hundredths > kHighestChannel) {
            Warn(record, L"frequency " + frequency +
                             L" is outside the COM band 118.00 to 136.99, so the radio never "
                             L"shows it");
        } else if (!IsShownByA25kHzChannel(frequency)) {
            Warn(record, L"frequency " + frequency +
                             L" is not shown by any 25 kHz channel (the two decimals end in "
                             L"0, 2, 5 or 7), so it never matches the radio");
        }
        const auto earlier = firstRecordOf.emplace(frequency, record);
        if (!earlier.second) {
            const int first = earlier.first->second;
            Warn(record, L"frequency " + frequency + L" is already in record " +
                             std::to_wstring(first) + L" (line " +
                             std::to_wstring(table.lines[first]) +
                             L"), which is always chosen first, so this record never is");
        }
    }

    // The argument is one quoted text with "?" before each key: a quote ends it early
    // and a question mark starts a key of its own. A NUL would cut the command line, so
    // the program refuses to start TeamSpeak with it.
    void CheckArgumentValue(int record, const wchar_t* name, const std::wstring& value) {
        if (value.find(L'\0') != std::wstring::npos) {
            Warn(record, std::wstring(L"the ") + name +
                             L" holds a NUL character, so Brenvale does not start TeamSpeak "
                             L"with this record");
        }
        if (value.find(L'"') != std::wstring::npos) {
            Warn(record, std::wstring(L"the ") + name +
                             L" holds a double quote, which ends the TeamSpeak argument early");
        }
        if (value.find(L'?') != std::wstring::npos) {
            Warn(record, std::wstring(L"the ") + name +
                             L" holds a question mark, which TeamSpeak reads as the start of "
                             L"another setting");
        }
    }

    // Characters the pilot cannot see in an editor, and characters TeamSpeak cannot read:
    // the program refuses to start it with a command line the code page cannot carry
    // exactly. A password's characters are named, never its value.
    void CheckCharacters(int record, int index, const std::wstring& name,
                         const std::wstring& value) {
        const std::wstring controls = ControlCharacters(value);
        if (!controls.empty()) {
            Warn(record, L"the " + name + L" holds control characters (written here as " +
                             controls +
                             L"), which an editor may not show but Brenvale passes to TeamSpeak "
                             L"as they are; remove them");
        }
        std::vector<std::wstring> outside = CharactersOutsideCodePage(value, codec);
        if (std::binary_search(table.notUtf8.begin(), table.notUtf8.end(), index)) {
            outside.erase(std::remove(outside.begin(), outside.end(), L"\uFFFD"), outside.end());
        }
        if (!outside.empty()) {
            Warn(record,
                 L"the " + name + L" holds characters that TeamSpeak cannot read in " +
                     table.codePage + L": " + DescribeCharacters(outside) +
                     L", so Brenvale does not start TeamSpeak with this record; write the " + name +
                     L" with characters of that code page only");
        }
    }

    void CheckRecord(int record) {
        if (table.misplaced[record]) return;
        if (record == 1 && LooksLikeHeading(table.columns.Frequency[1])) {
            Warn(record, L"record 1 looks like a heading (its frequency field says \"" +
                             table.columns.Frequency[1] +
                             L"\"), but Brenvale reads it as a channel, and record 1 is the "
                             L"default channel, used for every frequency no record has; remove "
                             L"the heading line");
            return;
        }
        CheckFrequency(record);
        if (table.columns.Server[record].empty()) {
            Warn(record, L"the server is empty, so TeamSpeak is not told where to connect");
        }
        for (int field = 1; field < kFieldsPerRecord; ++field) {
            const int index = (record - 1) * kFieldsPerRecord + field;
            const std::wstring& value = FieldAt(table.columns, index);
            CheckArgumentValue(record, kFieldNames[field], value);
            CheckCharacters(record, index, kFieldNames[field], value);
        }
    }
};

}  // namespace

bool IsDisplayForm(const std::wstring& frequency) {
    return frequency.size() == 6 && frequency[0] == L'1' && IsDigit(frequency[1]) &&
           IsDigit(frequency[2]) && frequency[3] == L'.' && IsDigit(frequency[4]) &&
           IsDigit(frequency[5]);
}

void CheckRecords(Table& table, TextCodec& codec) {
    Checker checker{table, codec, {}};
    for (int record = 1; record <= table.count; ++record) checker.CheckRecord(record);
}

std::wstring Printable(const std::wstring& text) {
    std::wstring shown;
    shown.reserve(text.size());
    for (wchar_t c : text) {
        if (IsControl(c)) {
            shown += L"<" + DescribeCharacters({std::wstring(1, c)}) + L">";
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

}  // namespace checker

// The checks of each record's values: a frequency the radio can never show, a record
// hidden behind an earlier one with the same frequency, and values that break the
// TeamSpeak argument or the command line.

#include <map>
#include <string>

#include "tools/checker/TableCheck.h"

namespace checker {
namespace {

// The COM band in hundredths of a MHz.
constexpr int kLowestChannel = 11800;
constexpr int kHighestChannel = 13699;

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

struct Checker {
    Table& table;
    std::map<std::wstring, int> firstRecordOf;

    void Warn(int record, std::wstring text) {
        table.warnings.push_back({record, table.lines[record], std::move(text)});
    }

    void CheckFrequency(int record) {
        const std::wstring& frequency = table.columns.Frequency[record];
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

    void CheckRecord(int record) {
        CheckFrequency(record);
        if (table.columns.Server[record].empty()) {
            Warn(record, L"the server is empty, so TeamSpeak is not told where to connect");
        }
        for (int field = 1; field < kFieldsPerRecord; ++field) {
            CheckArgumentValue(record, kFieldNames[field],
                               FieldAt(table.columns, (record - 1) * kFieldsPerRecord + field));
        }
    }
};

}  // namespace

bool IsDisplayForm(const std::wstring& frequency) {
    return frequency.size() == 6 && frequency[0] == L'1' && IsDigit(frequency[1]) &&
           IsDigit(frequency[2]) && frequency[3] == L'.' && IsDigit(frequency[4]) &&
           IsDigit(frequency[5]);
}

void CheckRecords(Table& table) {
    Checker checker{table, {}};
    for (int record = 1; record <= table.count; ++record) checker.CheckRecord(record);
}

}  // namespace checker

// The checks of each record's values: a frequency the radio can never show, a record
// hidden behind an earlier one with the same frequency, a heading read as a record, and
// values that break the TeamSpeak argument or the command line, that an editor does not
// show, or that TeamSpeak cannot read.

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/CodePageFit.h"
#include "app/TeamSpeakCommand.h"
#include "ipc/Com1Display.h"
#include "tools/checker/TableCheck.h"
#include "tools/checker/Utf8.h"

namespace checker {
namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
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

// Enough characters to find them by, as the program names them.
constexpr size_t kNamed = 8;

// A frequency a spreadsheet shortened in a number column: 122.8 or 122 for 122.80, 122.00.
std::wstring Completed(const std::wstring& frequency) {
    const size_t size = frequency.size();
    if (size < 3 || size > 5 || frequency[0] != L'1' || !IsDigit(frequency[1]) ||
        !IsDigit(frequency[2])) {
        return std::wstring();
    }
    if (size == 3) return frequency + L".00";
    if (size == 5 && frequency[3] == L'.' && IsDigit(frequency[4])) return frequency + L"0";
    return std::wstring();
}

// Names of a value's fields in fixes that change what the server set.
std::wstring AskFor(int position, const std::wstring& without) {
    switch (position) {
        case 0:
            return L"write the frequency without " + without;
        case 1:
            return L"write the server's address without " + without;
        case 2:
            return L"ask for (or choose) a login name without " + without;
        case 3:
            return L"ask for (or set) a password without " + without;
        default:
            return L"ask for (or give) the " + std::wstring(kFieldNames[position]) +
                   L" a name without " + without;
    }
}

struct Checker {
    Table& table;
    TextCodec& codec;

    void Say(int record, const std::wstring& what, std::vector<Consequence> stated = {},
             const std::wstring& fix = {}) {
        Warn(table, record, table.lines[record], what, std::move(stated), fix);
    }

    void CheckFrequency(int record) {
        const std::wstring& frequency = table.columns.Frequency[record];
        if (HasThreeDecimals(frequency)) {
            const std::wstring shown = frequency.substr(0, 6);
            Say(record,
                L"frequency " + frequency + L" has three decimals, but the radio shows two, " +
                    shown + L", and only that text matches",
                Chosen(table, record), L"write " + shown);
            return;
        }
        const std::wstring completed = Completed(frequency);
        if (!completed.empty()) {
            Say(record,
                L"frequency \"" + frequency + L"\" lacks " +
                    (frequency.size() == 3 ? L"its decimals" : L"a decimal") +
                    L", as a spreadsheet shows " + completed +
                    L" in a number column, so it never matches the radio",
                Chosen(table, record),
                L"write " + completed +
                    L", and format the frequency column as text so the spreadsheet keeps both "
                    L"decimals");
            return;
        }
        if (!IsDisplayForm(frequency)) {
            Say(record,
                L"frequency \"" + frequency +
                    L"\" is not in the form 1dd.dd (for example 122.80), so it never matches the "
                    L"radio",
                Chosen(table, record));
            return;
        }
        const uint32_t hundredths = ShownHundredths(frequency);
        if (hundredths < kCom1LowestShown || hundredths > kCom1HighestShown) {
            Say(record,
                L"frequency " + frequency + L" is outside the COM band " + Com1BandText() +
                    L", so the radio never shows it",
                Chosen(table, record));
        } else if (!IsShownByA25kHzChannel(hundredths)) {
            Say(record,
                L"frequency " + frequency +
                    L" is not shown by any 25 kHz channel (the two decimals end in 0, 2, 5 or "
                    L"7), so it never matches the radio",
                Chosen(table, record));
        } else {
            const int first = ChooseChannelRecord(table.columns, table.count, frequency);
            if (first == record) return;
            Say(record,
                L"frequency " + frequency + L" is already in record " + std::to_wstring(first) +
                    L" (line " + std::to_wstring(table.lines[first]) +
                    L"), which Brenvale chooses first",
                Chosen(table, record));
        }
    }

    // The argument is one quoted text with "?" before each key: a quote ends it early
    // and a question mark starts a key of its own. A NUL would cut the command line, so
    // the program refuses to start TeamSpeak with it.
    void CheckArgumentValue(int record, int position, const std::wstring& value) {
        const std::wstring name = kFieldNames[position];
        const bool password = position == 3;
        if (value.find(L'\0') != std::wstring::npos) {
            Say(record, L"the " + name + L" holds a NUL character, which cuts the command line",
                {StartWith(table, record, codec)}, L"remove it");
        }
        const size_t quote = value.find(L'"');
        if (quote != std::wstring::npos) {
            Say(record,
                L"the " + name +
                    L" holds a double quote, which TeamSpeak's command line cannot carry: it "
                    L"ends TeamSpeak's argument there, so TeamSpeak gets the " +
                    name + (password ? L"" : L" as \"" + value.substr(0, quote) + L"\"") +
                    L" cut short and none of the values after it",
                {StartWith(table, record, codec)}, AskFor(position, L"a double quote"));
        }
        const size_t mark = value.find(L'?');
        if (mark != std::wstring::npos) {
            std::wstring what = L"the " + name + L" holds a question mark: TeamSpeak takes what ";
            what += password ? L"follows it as a setting of its own"
                             : L"follows it, \"" + value.substr(mark + 1) +
                                   L"\", as a setting of its own";
            what += L", so the " + name + L" TeamSpeak gets is cut there" +
                    (password ? L"" : L", \"" + value.substr(0, mark) + L"\"");
            Say(record, what, {StartWith(table, record, codec)},
                AskFor(position, L"a question mark"));
        }
    }

    // Characters the pilot cannot see in an editor, and characters TeamSpeak cannot read:
    // the program refuses to start it with a command line the code page cannot carry
    // exactly. A password's characters are named, never its value.
    void CheckCharacters(int record, int index, int position, const std::wstring& value) {
        const std::wstring name = kFieldNames[position];
        const std::wstring controls = ControlCharacters(value);
        if (!controls.empty()) {
            Say(record,
                L"the " + name + L" holds control characters (written here as " + controls +
                    L"), which an editor may not show",
                {StartWith(table, record, codec)}, L"remove them");
        }
        const bool notUtf8 = std::binary_search(table.notUtf8.begin(), table.notUtf8.end(), index);
        const Outside outside = CharactersOutside(value, codec, notUtf8);
        if (outside.named.empty()) return;
        Say(record, L"the " + name + L" holds characters " + kCannotPass + L": " + outside.Text(),
            {StartWith(table, record, codec)},
            position == 3 ? AskFor(position, L"them") : WithoutThem(name, outside.named));
    }

    // The fix for characters outside the code page, with a plain letter for each that has
    // one the code page carries.
    std::wstring WithoutThem(const std::wstring& name, const std::vector<std::wstring>& named) {
        std::vector<std::pair<std::wstring, std::wstring>> plain;
        std::string bytes;
        for (const std::wstring& character : named) {
            const std::wstring letter = PlainLetter(character);
            if (!letter.empty() && codec.ToSystemCodePage(letter, bytes)) {
                plain.push_back({character, letter});
            }
        }
        if (named.size() == 1 && plain.size() == 1) {
            return L"write the " + name + L" without " + named[0] + L", for example with " +
                   plain[0].second + L" instead";
        }
        std::wstring fix =
            L"write the " + name + (named.size() == 1 ? L" without it" : L" without them");
        for (size_t i = 0; i < plain.size(); ++i) {
            fix += (i == 0 ? L", for example with " : L" and ") + plain[i].second + L" for " +
                   plain[i].first;
        }
        return fix;
    }

    bool Empty(int record) const {
        for (int field = 0; field < kFieldsPerRecord; ++field) {
            if (!FieldAt(table.columns, (record - 1) * kFieldsPerRecord + field).empty()) {
                return false;
            }
        }
        return true;
    }

    void CheckRecord(int record) {
        if (table.misplaced[record]) return;
        if (Empty(record)) {
            std::vector<Consequence> stated = Chosen(table, record);
            if (record == 1) stated.push_back(StartWith(table, record, codec));
            Say(record,
                std::wstring(L"record ") + std::to_wstring(record) +
                    L" is an empty row, as a spreadsheet leaves one" +
                    (record == 1 ? L", so TeamSpeak gets no server, only the nickname" : L""),
                stated, L"delete the row");
            return;
        }
        if (record == 1 && LooksLikeHeading(table.columns.Frequency[1])) {
            Say(record,
                L"record 1 looks like a heading (its frequency field says \"" +
                    table.columns.Frequency[1] +
                    L"\"), but Brenvale reads it as a channel, and record 1 is the default "
                    L"channel",
                Chosen(table, record), L"remove the heading line");
            return;
        }
        CheckFrequency(record);
        if (table.columns.Server[record].empty()) {
            Say(record, L"the server is empty, so TeamSpeak is not told where to connect");
        }
        for (int field = 1; field < kFieldsPerRecord; ++field) {
            const int index = (record - 1) * kFieldsPerRecord + field;
            const std::wstring& value = FieldAt(table.columns, index);
            CheckArgumentValue(record, field, value);
            CheckCharacters(record, index, field, value);
        }
    }
};

bool IsSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

}  // namespace

std::wstring WithoutDoubleQuote(int position) {
    return AskFor(position, L"a double quote");
}

// Each character once, a surrogate pair as one; the whole text first, as most fit.
Outside CharactersOutside(const std::wstring& text, TextCodec& codec, bool skipReplacement) {
    Outside outside;
    std::string bytes;
    if (codec.ToSystemCodePage(text, bytes)) return outside;
    std::set<std::wstring> seen;
    for (size_t at = 0; at < text.size();) {
        std::wstring character = CharacterAt(text, at);
        at += character.size();
        if ((skipReplacement && character == L"\uFFFD") || !seen.insert(character).second ||
            codec.ToSystemCodePage(character, bytes)) {
            continue;
        }
        if (outside.named.size() < kNamed) {
            outside.named.push_back(std::move(character));
        } else {
            ++outside.more;
        }
    }
    return outside;
}

std::wstring Outside::Text() const {
    std::wstring text = DescribeCharacters(named);
    if (more > 0) text += L", and " + std::to_wstring(more) + L" more";
    return text;
}

void CheckRecords(Table& table, TextCodec& codec) {
    Checker checker{table, codec};
    for (int record = 1; record <= table.count; ++record) checker.CheckRecord(record);
}

std::wstring Printable(const std::wstring& text, bool keepStrayBytes) {
    std::wstring shown;
    shown.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const std::wstring character = CharacterAt(text, at);
        at += character.size();
        const wchar_t c = character[0];
        const bool stray = keepStrayBytes && c >= kStrayByte && c <= kStrayByte + 0x7F;
        const bool alone = character.size() == 1 && (IsControl(c) || (IsSurrogate(c) && !stray));
        shown += alone ? L"<" + DescribeCharacters({character}) + L">" : character;
    }
    return shown;
}

}  // namespace checker

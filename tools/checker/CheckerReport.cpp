// The report: the records as loaded, the choice for one frequency with its command line,
// and the warnings. Every text from the table or the command line goes out through
// Printable.

#include <string>

#include "app/CodePageFit.h"
#include "app/TeamSpeakCommand.h"
#include "tools/checker/CheckerRun.h"

namespace checker {
namespace {

const wchar_t kMask[] = L"******";

std::wstring Quoted(const std::wstring& value) {
    return L"\"" + Printable(value) + L"\"";
}

std::wstring ShownPassword(const std::wstring& password, const Options& options) {
    return options.showPasswords || password.empty() ? password : kMask;
}

std::wstring RightAligned(int value, size_t width) {
    std::wstring text = std::to_wstring(value);
    return std::wstring(width > text.size() ? width - text.size() : 0, L' ') + text;
}

std::wstring RecordLine(const Table& table, int record, const Options& options) {
    const ChannelColumns& c = table.columns;
    const std::wstring password = c.Password[record];
    return RightAligned(record, 5) + L" (line " + std::to_wstring(table.lines[record]) + L"): " +
           Quoted(c.Frequency[record]) + L"  server " + Quoted(c.Server[record]) + L", login " +
           Quoted(c.LoginName[record]) + L", password " +
           (options.showPasswords || password.empty() ? Quoted(password) : kMask) + L", channel " +
           Quoted(c.Channel[record]) + L", sub-channel " + Quoted(c.SubChannel[record]) + L"\n";
}

std::wstring RecordsSection(const Table& table, const Options& options) {
    std::wstring text = L"Records as Brenvale loads them: " + std::to_wstring(table.count) +
                        L" of at most " + std::to_wstring(kChannelCapacity) +
                        L"; record 1 is the default channel.\n";
    for (int record = 1; record <= table.count; ++record) {
        text += RecordLine(table, record, options);
    }
    return text;
}

std::wstring ChoiceSentence(const Table& table, const Options& options, const Choice& choice) {
    const std::wstring radio = L"With COM1 on " + options.frequency + L", ";
    if (choice.matched) {
        return radio + L"Brenvale chooses record " + std::to_wstring(choice.record) + L" (line " +
               std::to_wstring(table.lines[choice.record]) + L"), the first with this frequency.\n";
    }
    std::wstring text = radio +
                        L"no record has this frequency, so Brenvale uses record 1, the "
                        L"default channel.\n";
    if (table.count == 0) {
        text += table.cutShortFieldsKept
                    ? L"The table has no records; record 1 holds what was read of the record "
                      L"cut short.\n"
                    : L"The table has no records; record 1 is empty.\n";
    }
    return text;
}

// Why Brenvale would not start TeamSpeak with the line, or nothing when it would.
std::wstring Refusal(const std::wstring& line, TextCodec& codec) {
    const LineFault fault = CommandLineFault(line, codec);
    if (fault == LineFault::None) return std::wstring();
    if (fault == LineFault::Nul) return L"it would hold a NUL character";
    return L"it would hold characters " + kCannotPass + L": " +
           CharactersOutside(line, codec, false).Text();
}

std::wstring ChoiceSection(const Table& table, const Options& options, TextCodec& codec) {
    const Choice choice = ChooseRecord(table, options.frequency);
    ChannelRecord shown = RecordAt(table.columns, choice.record);
    std::wstring text = ChoiceSentence(table, options, choice);
    text += L"TeamSpeak command line, for the name " + Quoted(options.name) + L" and " +
            TeamSpeakDirNamed(options) + L":\n";
    const std::wstring refusal =
        Refusal(TeamSpeakCommandLine(options.teamSpeakDir, shown, options.name), codec);
    if (!refusal.empty()) {
        return text + L"  none: " + refusal + L", so Brenvale does not start TeamSpeak.\n";
    }
    shown.Password = ShownPassword(shown.Password, options);
    text +=
        L"  " + Printable(TeamSpeakCommandLine(options.teamSpeakDir, shown, options.name)) + L"\n";
    if (!options.showPasswords && !shown.Password.empty()) {
        text += L"(The password is masked; --show-passwords shows the exact line.)\n";
    }
    return text;
}

std::wstring WarningLine(const Warning& warning) {
    std::wstring place;
    if (warning.record > 0) place = L"record " + std::to_wstring(warning.record);
    if (warning.line > 0) {
        place += (place.empty() ? L"line " : L", line ") + std::to_wstring(warning.line);
    }
    if (place.empty()) place = L"file";
    return L"  " + place + L": " + Printable(warning.text) + L"\n";
}

std::wstring WarningsSection(const Table& table) {
    const size_t count = table.warnings.size();
    if (count == 0) return L"No warnings.\n";
    std::wstring text = std::to_wstring(count) + (count == 1 ? L" warning:\n" : L" warnings:\n");
    for (const Warning& warning : table.warnings) text += WarningLine(warning);
    return text;
}

}  // namespace

std::wstring ReportText(const std::wstring& file, const Table& table, const Options& options,
                        TextCodec& codec) {
    std::wstring text = L"Channel table: " + Printable(file, true) + L"\nRead as " +
                        EncodingName(table) + L"\n\n" + RecordsSection(table, options);
    if (!options.frequency.empty()) text += L"\n" + ChoiceSection(table, options, codec);
    return text + L"\n" + WarningsSection(table);
}

}  // namespace checker

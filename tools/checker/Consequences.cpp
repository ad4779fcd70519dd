// What the warnings say Brenvale does, each decided by the program's own functions on the
// records as loaded, and the one place its sentence is made.

#include <algorithm>
#include <string>
#include <vector>

#include "app/TeamSpeakCommand.h"
#include "tools/checker/TableCheck.h"

namespace checker {
namespace {

std::wstring Sentence(Consequence consequence, const std::wstring& subject) {
    switch (consequence) {
        case Consequence::NeverChosen:
            return L"Brenvale never chooses " + subject;
        case Consequence::DefaultForUnlisted:
            return L"Brenvale uses " + subject + L" for every frequency no record has";
        case Consequence::Started:
            return L"Brenvale starts TeamSpeak with " + subject + L" as it is";
        case Consequence::NotStarted:
            return L"Brenvale does not start TeamSpeak with " + subject;
        default:
            return L"Brenvale drops " + subject;
    }
}

// A text that no record's frequency is: the program then takes its default.
std::wstring Unlisted(const Table& table) {
    size_t longest = 0;
    for (const std::wstring& frequency : table.columns.Frequency) {
        longest = std::max(longest, frequency.size());
    }
    return std::wstring(longest + 1, L'0');
}

}  // namespace

void Warn(Table& table, int record, int line, const std::wstring& what,
          std::vector<Consequence> stated, const std::wstring& fix, int subject) {
    if (subject == 0) subject = record;
    const std::wstring name =
        subject == record && record > 0 ? L"this record" : L"record " + std::to_wstring(subject);
    std::wstring text = what;
    for (Consequence consequence : stated) text += L"; " + Sentence(consequence, name);
    if (!fix.empty()) text += L"; " + fix;
    table.warnings.push_back({record, line, std::move(text), std::move(stated), subject});
}

std::vector<Consequence> Chosen(const Table& table, int record) {
    const ChannelColumns& columns = table.columns;
    if (record == ChooseChannelRecord(columns, table.count, Unlisted(table))) {
        return {Consequence::DefaultForUnlisted};
    }
    const std::wstring& frequency = columns.Frequency[record];
    if (record <= table.count &&
        !(RadioShows(frequency) &&
          ChooseChannelRecord(columns, table.count, frequency) == record)) {
        return {Consequence::NeverChosen};
    }
    return {};
}

Consequence StartWith(const Table& table, int record, TextCodec& codec) {
    const std::wstring line = TeamSpeakCommandLine(L"", RecordAt(table.columns, record), L"");
    return CommandLineFault(line, codec) == LineFault::None ? Consequence::Started
                                                            : Consequence::NotStarted;
}

}  // namespace checker

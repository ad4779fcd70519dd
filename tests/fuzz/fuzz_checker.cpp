// Runs the checker's whole report on arbitrary bytes as a table, with a frequency chosen,
// and fails on: output that is not UTF-8 once written as the native checker writes it; work
// that grows faster than the input; and any consequence a warning states that the
// program's own decision (ChooseChannelRecord, CommandLineFault) contradicts.
//
// Input: byte 0 = the frequency asked for (low two bits) and whether passwords are shown;
// the rest is the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "app/TeamSpeakCommand.h"
#include "ipc/Com1Display.h"
#include "tests/support/BytesReader.h"
#include "tools/checker/CheckerRun.h"
#include "tools/checker/TableCheck.h"
#include "tools/checker/Utf8.h"

namespace {

constexpr size_t kWorkPerByte = 64, kReportPerByte = 1024;

// The system's conversions, counting the characters they are handed: the checker's work
// is at most a fixed number of passes over each field.
class CountingCodec : public TextCodec {
  public:
    std::wstring FromSystemCodePage(const std::string& bytes) override {
        work += bytes.size() + 1;
        return codec_.FromSystemCodePage(bytes);
    }
    std::wstring FromUtf8(const std::string& bytes) override {
        work += bytes.size() + 1;
        return codec_.FromUtf8(bytes);
    }
    std::wstring FromUtf8Replacing(const std::string& bytes) override {
        work += bytes.size() + 1;
        return codec_.FromUtf8Replacing(bytes);
    }
    bool ToSystemCodePage(const std::wstring& text, std::string& bytes) override {
        work += text.size() + 1;
        return codec_.ToSystemCodePage(text, bytes);
    }
    uint64_t work = 0;

  private:
    checker::PortableCodec codec_;
};

bool Started(const checker::Table& table, int record, TextCodec& codec) {
    const ChannelRecord fields = RecordAt(table.columns, record);
    const LineFault alone = CommandLineFault(TeamSpeakCommandLine(L"", fields, L""), codec);
    const LineFault asRun =
        CommandLineFault(TeamSpeakCommandLine(kDefaultTeamSpeakDir, fields, L"Pilot"), codec);
    if (alone != asRun) std::abort();  // an ASCII folder and name change nothing
    return alone == LineFault::None;
}

// The records some frequency of the radio makes the program choose.
std::set<int> ChosenByTheRadio(const checker::Table& table) {
    std::set<int> chosen;
    for (uint32_t khz = kCom1LowestKhz; khz <= kCom1HighestKhz; khz += 25) {
        chosen.insert(ChooseChannelRecord(table.columns, table.count, Com1ShownText(khz)));
    }
    return chosen;
}

void CheckConsequences(const checker::Table& table, TextCodec& codec) {
    const std::wstring unlisted = L"not a frequency";
    for (int record = 1; record <= table.count; ++record) {
        if (table.columns.Frequency[record] == unlisted) return;  // the default cannot be seen
    }
    std::set<int> chosen;
    bool chosenKnown = false;
    for (const checker::Warning& warning : table.warnings) {
        const int subject = warning.subject;
        for (checker::Consequence stated : warning.stated) {
            bool holds = false;
            switch (stated) {
                case checker::Consequence::Dropped:
                    holds = subject > table.count;
                    break;
                case checker::Consequence::Started:
                    holds = Started(table, subject, codec);
                    break;
                case checker::Consequence::NotStarted:
                    holds = !Started(table, subject, codec);
                    break;
                case checker::Consequence::DefaultForUnlisted:
                    holds = ChooseChannelRecord(table.columns, table.count, unlisted) == subject;
                    break;
                case checker::Consequence::NeverChosen:
                    if (!chosenKnown) chosen = ChosenByTheRadio(table), chosenKnown = true;
                    holds = subject <= table.count && chosen.count(subject) == 0 &&
                            ChooseChannelRecord(table.columns, table.count, unlisted) != subject;
                    break;
            }
            if (!holds) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const wchar_t* const kFrequencies[] = {L"122.80", L"118.00", L"136.97", L"1"};
    checker::Options options;
    options.frequency = kFrequencies[data[0] & 3];
    options.showPasswords = (data[0] & 4) != 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    CountingCodec codec;
    BytesReader file(bytes);
    const checker::Table table = checker::CheckTable(file, codec, L"Windows-1252");
    const std::wstring report = checker::ReportText(L"brenvale.txt", table, options, codec);

    std::wstring decoded;
    if (checker::DecodeUtf8(checker::ToUtf8Bytes(report), decoded) != 0) std::abort();
    // A bounded number of passes over each byte, whatever the table holds, and at most a
    // warning's length for each (an empty line of one byte is a warning of its own).
    if (codec.work > kWorkPerByte * (bytes.size() + 64)) std::abort();
    if (report.size() > kReportPerByte * (bytes.size() + 64)) std::abort();
    CheckConsequences(table, codec);
    return 0;
}

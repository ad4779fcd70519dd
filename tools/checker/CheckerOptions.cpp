// The checker's command line.

#include <string>

#include "tools/checker/CheckerRun.h"

namespace checker {
namespace {

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The options that take a value, written "--name value" or "--name=value".
std::wstring* ValueOption(const std::wstring& name, Options& options) {
    if (name == L"--frequency") return &options.frequency;
    if (name == L"--name") return &options.name;
    if (name == L"--teamspeak-dir") return &options.teamSpeakDir;
    return nullptr;
}

bool IsHelp(const std::wstring& arg) {
    return arg == L"--help" || arg == L"-h" || arg == L"/?" || arg == L"-?";
}

}  // namespace

bool ParseOptions(const std::vector<std::wstring>& args, Options& options, std::wstring& problem) {
    bool optionsEnded = false;
    bool frequencyGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (!optionsEnded && IsHelp(arg)) {
            options.help = true;
            return true;
        }
        if (!optionsEnded && arg == L"--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == L"--show-passwords") {
            options.showPasswords = true;
        } else if (!optionsEnded && StartsWith(arg, L"--")) {
            const size_t equals = arg.find(L'=');
            std::wstring* value = ValueOption(arg.substr(0, equals), options);
            if (value == nullptr) {
                problem = L"unknown option " + arg;
                return false;
            }
            if (equals != std::wstring::npos) {
                *value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                *value = args[++i];
            } else {
                problem = arg + L" needs a value";
                return false;
            }
            frequencyGiven = frequencyGiven || value == &options.frequency;
            if (value == &options.teamSpeakDir) options.teamSpeakDirFrom = FolderSource::Given;
        } else if (options.file.empty()) {
            options.file = arg;
            if (arg.empty()) {
                problem = L"the file name is empty";
                return false;
            }
        } else {
            problem = L"only one table file can be checked at a time";
            return false;
        }
    }
    if (frequencyGiven && !IsDisplayForm(options.frequency)) {
        problem =
            L"--frequency wants a frequency as the radio shows it, 1dd.dd (for example "
            L"122.80), not \"" +
            options.frequency + L"\"";
        return false;
    }
    return true;
}

std::wstring TeamSpeakDirNamed(const Options& options) {
    const std::wstring folder = L"\"" + Printable(options.teamSpeakDir) + L"\"";
    switch (options.teamSpeakDirFrom) {
        case FolderSource::Given:
            return L"the TeamSpeak folder given with --teamspeak-dir, " + folder;
        case FolderSource::Saved:
            return L"the TeamSpeak folder Brenvale saved, " + folder;
        default:
            return L"the default TeamSpeak folder, " + folder;
    }
}

std::wstring UsageText(const std::wstring& defaultFile, const std::wstring& savedTeamSpeakDir) {
    return L"Usage: brenvale-check [options] [FILE]\n"
           L"\n"
           L"Shows a Brenvale channel table as Brenvale itself reads it, and warns about\n"
           L"everything in it that will not work as meant.\n"
           L"\n"
           L"  FILE                 the channel table (default: " +
           defaultFile +
           L")\n"
           L"  --frequency F        also show the record Brenvale chooses when COM1 shows F\n"
           L"                       (form 1dd.dd, for example 122.80) and the TeamSpeak\n"
           L"                       command line it starts\n"
           L"  --name NAME          the name typed at start, for that command line\n"
           L"                       (default: Pilot)\n"
           L"  --teamspeak-dir DIR  the TeamSpeak folder, for that command line\n"
           L"                       (default: " +
           (savedTeamSpeakDir.empty() ? std::wstring(kDefaultTeamSpeakDir)
                                      : savedTeamSpeakDir + L", the folder Brenvale saved") +
           L")\n"
           L"  --show-passwords     show passwords instead of ******\n"
           L"  --help               show this text\n"
           L"\n"
           L"Exit status: " +
           std::to_wstring(kExitClean) + L" nothing to warn about, " +
           std::to_wstring(kExitWarnings) + L" warnings, " + std::to_wstring(kExitFailed) +
           L" the file cannot be read or\nthe options are wrong.\n";
}

}  // namespace checker

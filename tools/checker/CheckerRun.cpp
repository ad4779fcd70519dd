// One run of the checker: options, the file, the report, the exit status.

#include "tools/checker/CheckerRun.h"

#include <new>
#include <string>

#include "platform/PlatformFailure.h"

namespace checker {
namespace {

// Writes the report; a report the output refuses is a failure of the run.
int Report(CheckerSystem& system, const std::wstring& text, int status) {
    try {
        system.WriteOut(text);
        return status;
    } catch (const PlatformFailure& failure) {
        system.WriteError(L"brenvale-check: cannot write the report: " + failure.Description() +
                          L"\n");
        return kExitFailed;
    }
}

}  // namespace

int RunChecker(const std::vector<std::wstring>& args, CheckerSystem& system) {
    Options options;
    std::wstring problem;
    const std::wstring saved = system.SavedTeamSpeakDir();
    if (!ParseOptions(args, options, problem)) {
        system.WriteError(L"brenvale-check: " + problem + L"\n\n" +
                          UsageText(system.DefaultTableFile(), saved));
        return kExitFailed;
    }
    if (options.help)
        return Report(system, UsageText(system.DefaultTableFile(), saved), kExitClean);
    // Brenvale starts TeamSpeak from the folder it saved, so the command line shown does too.
    if (options.teamSpeakDirFrom == FolderSource::Default && !saved.empty()) {
        options.teamSpeakDir = saved;
        options.teamSpeakDirFrom = FolderSource::Saved;
    }
    const std::wstring file = options.file.empty() ? system.DefaultTableFile() : options.file;
    std::wstring reason;
    try {
        const std::unique_ptr<FileReader> reader = system.OpenTableFile(file);
        const Table table = CheckTable(*reader, system.Decoder(), system.CodePageName());
        return Report(system, ReportText(file, table, options, system.Decoder()),
                      table.warnings.empty() ? kExitClean : kExitWarnings);
    } catch (const PlatformFailure& failure) {
        reason = failure.Description();
    } catch (const std::bad_alloc&) {
        reason = L"not enough memory";
    }
    system.WriteError(L"brenvale-check: cannot read " + file + L": " + reason + L"\n");
    return kExitFailed;
}

}  // namespace checker

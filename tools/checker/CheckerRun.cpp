// One run of the checker: options, the file, the report, the exit status.

#include "tools/checker/CheckerRun.h"

#include <string>

namespace checker {

int RunChecker(const std::vector<std::wstring>& args, CheckerSystem& system) {
    Options options;
    std::wstring problem;
    if (!ParseOptions(args, options, problem)) {
        system.WriteError(L"brenvale-check: " + problem + L"\n\n" +
                          UsageText(system.DefaultTableFile()));
        return kExitFailed;
    }
    if (options.help) {
        system.WriteOut(UsageText(system.DefaultTableFile()));
        return kExitClean;
    }
    const std::wstring file = options.file.empty() ? system.DefaultTableFile() : options.file;
    std::string bytes;
    std::wstring reason;
    if (!system.ReadTableFile(file, bytes, reason)) {
        system.WriteError(L"brenvale-check: cannot read " + file + L": " + reason + L"\n");
        return kExitFailed;
    }
    const Table table = CheckTable(
        bytes, [&system](const std::string& field) { return system.FromSystemCodePage(field); });
    system.WriteOut(ReportText(file, table, options));
    return table.warnings.empty() ? kExitClean : kExitWarnings;
}

}  // namespace checker

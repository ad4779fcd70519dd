#pragma once
// The checker program apart from its system: options, the run and the report text. A
// thin main per platform supplies the file, the code page and the output.

#include <memory>
#include <string>
#include <vector>

#include "app/TeamSpeakCommand.h"
#include "tools/checker/TableCheck.h"

namespace checker {

constexpr int kExitClean = 0;     // nothing to warn about
constexpr int kExitWarnings = 1;  // the table loads, with warnings
constexpr int kExitFailed = 2;    // the file cannot be read, or the options are wrong

// Where the TeamSpeak folder for the command line came from.
enum class FolderSource { Default, Saved, Given };

struct Options {
    std::wstring file;  // empty: the default table
    std::wstring frequency;
    std::wstring name = L"Pilot";
    std::wstring teamSpeakDir = kDefaultTeamSpeakDir;
    FolderSource teamSpeakDirFrom = FolderSource::Default;
    bool showPasswords = false;
    bool help = false;
};

// Parses the arguments after the program name. False, with the reason, on bad usage.
bool ParseOptions(const std::vector<std::wstring>& args, Options& options, std::wstring& problem);

// The TeamSpeak folder as the report names it, with where it came from.
std::wstring TeamSpeakDirNamed(const Options& options);

// The --help text; `defaultFile` is the table read when none is named, `savedTeamSpeakDir`
// the folder Brenvale saved (empty: none).
std::wstring UsageText(const std::wstring& defaultFile, const std::wstring& savedTeamSpeakDir);

// The whole report: the records as loaded, the choice for --frequency, the warnings.
// `codec` tells whether TeamSpeak can read the command line.
std::wstring ReportText(const std::wstring& file, const Table& table, const Options& options,
                        TextCodec& codec);

// What the checker needs of the system it runs on: the file, and its text decoded as
// the program decodes it.
class CheckerSystem {
  public:
    virtual ~CheckerSystem() = default;
    // The program's own conversions where the system has them.
    virtual TextCodec& Decoder() = 0;
    // The code page those conversions use, as the report names it, e.g. "the system's
    // code page (1252)".
    virtual std::wstring CodePageName() = 0;
    // The file open for reading; throws PlatformFailure with the system's reason.
    virtual std::unique_ptr<FileReader> OpenTableFile(const std::wstring& path) = 0;
    // The table read when the command line names none.
    virtual std::wstring DefaultTableFile() = 0;
    // The TeamSpeak folder Brenvale saved in its settings; empty when there is none, or
    // none this system can read.
    virtual std::wstring SavedTeamSpeakDir() = 0;
    // The report; throws PlatformFailure when the output refuses it.
    virtual void WriteOut(const std::wstring& text) = 0;
    // A problem, where the system lets the checker say one; never throws.
    virtual void WriteError(const std::wstring& text) = 0;
};

// Runs the checker over the arguments after the program name; returns the exit status.
int RunChecker(const std::vector<std::wstring>& args, CheckerSystem& system);

}  // namespace checker

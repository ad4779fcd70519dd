// The stand-in simulator: a small window that answers the FSUIPC link as the
// simulator would, for trying the program without a simulator and for the tests.

#include <windows.h>
// <shellapi.h> needs <windows.h> first.
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Helpers.h"
#include "tools/standin-sim/StandInOptions.h"
#include "tools/standin-sim/StandInWindow.h"

namespace {

constexpr int kBadArguments = 2;
constexpr int kStartFailed = 1;

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    int count = 0;
    const UniqueLocal<LPWSTR> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    if (argv == nullptr) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv.get()[i]);
    return args;
}

void ShowUsage(const std::wstring& problem) {
    const std::wstring text = problem.empty() ? StandInUsage() : problem + L"\n\n" + StandInUsage();
    MessageBoxW(nullptr, text.c_str(), L"Stand-in simulator",
                MB_OK | (problem.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    StandInOptions options;
    std::wstring problem;
    if (!ParseStandInOptions(Arguments(), options, problem)) {
        ShowUsage(problem);
        return kBadArguments;
    }
    if (options.showHelp) {
        ShowUsage(std::wstring());
        return 0;
    }
    StandInWindow window(options);
    if (!window.Create(instance)) {
        MessageBoxW(nullptr, L"The simulator window could not be created.", options.title.c_str(),
                    MB_OK | MB_ICONERROR);
        return kStartFailed;
    }
    return window.Run();
}

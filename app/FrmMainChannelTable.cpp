// The window's first load step: the channel table file beside the program.

#include <exception>
#include <new>
#include <string>

#include "app/FrmMain.h"
#include "app/General.h"
#include "app/ShownTexts.h"
#include "platform/PlatformFailure.h"

namespace {

// Any other failure in its own words. The standard library's are English ASCII; a byte
// past ASCII is taken as Latin-1: a wrong letter at worst.
std::wstring Described(const std::exception& failure) {
    std::wstring description;
    for (const char* c = failure.what(); *c != '\0'; ++c) {
        description.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    }
    return description;
}

}  // namespace

// Reads the table once. A failure while a record is read ends the table there and the
// load goes on; opening the file, and anything after it is closed, fails the whole load:
// the load error report is shown and the rest of the load sequence is skipped.
bool FrmMain::LoadChannelTable() {
    FileSystem& files = general_.System().files;
    try {
        ChannelCount = 0;
        const LoadedTable loaded = LoadTableFile(
            files.OpenForReading(files.ProgramFolder() + kChannelTableFile), ChannelTable, files);
        ChannelCount = static_cast<int16_t>(loaded.read.extent.records);
    } catch (const PlatformFailure& failure) {
        ShowLoadErrorReport(failure.Description());
        return false;
    } catch (const std::bad_alloc&) {
        ShowLoadErrorReport(shown::kTableOutOfMemory);  // an allocation refused
        return false;
    } catch (const std::exception& failure) {
        ShowLoadErrorReport(Described(failure));
        return false;
    }
    return true;
}

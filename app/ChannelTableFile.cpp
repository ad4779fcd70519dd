#include <exception>
#include <string>

#include "app/FrmMain.h"
#include "app/General.h"
#include "platform/PlatformFailure.h"

namespace {

const wchar_t kOutOfMemory[] = L"There is not enough memory to read the channel table.";

}  // namespace

// Reads the table once; any failure, running out of memory included, ends in the load
// error report and the rest of the load sequence is skipped.
bool FrmMain::LoadChannelTable() {
    FileSystem& files = general_.System().files;
    try {
        ChannelCount = 0;
        TableExtent read;
        TextEncoding encoding;
        {
            const std::unique_ptr<FileReader> file =
                files.OpenForReading(files.ProgramFolder() + L"\\brenvale.txt");
            TableSource source(*file);
            FieldReader reader(source);
            read = ReadTableFields(reader, ChannelTable);
            encoding = ChooseEncoding(source, ChannelTable, read, files);
        }  // closed before the fields are decoded
        ChannelCount =
            static_cast<int16_t>(DecodeFields(ChannelTable, read, encoding, files).records);
    } catch (const PlatformFailure& failure) {
        ShowLoadErrorReport(failure.Description());
        return false;
    } catch (const std::exception&) {
        // Running out of memory: an allocation refused, or a field past a text's largest size.
        ShowLoadErrorReport(kOutOfMemory);
        return false;
    }
    return true;
}

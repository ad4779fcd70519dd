#include <string>

#include "app/FrmMain.h"
#include "app/General.h"
#include "platform/PlatformFailure.h"

namespace {

// The six fields of a record, in file order.
constexpr ChannelColumns::Column ChannelColumns::*kFileOrder[] = {
    &ChannelColumns::Frequency, &ChannelColumns::Server,  &ChannelColumns::LoginName,
    &ChannelColumns::Password,  &ChannelColumns::Channel, &ChannelColumns::SubChannel,
};

// Reads one record's fields into `slot`, storing each as soon as it is read, so a record
// cut short leaves the fields it had. False when the file ends inside the record.
bool ReadRecord(FieldReader& reader, FileSystem& files, ChannelColumns& table, int slot) {
    std::string field;
    for (auto column : kFileOrder) {
        if (!reader.NextField(field)) return false;
        (table.*column)[slot] = files.FromSystemCodePage(field);
    }
    return true;
}

}  // namespace

bool FrmMain::LoadChannelTable() {
    FileSystem& files = general_.System().files;
    std::string bytes;
    try {
        bytes = files.ReadWholeFile(files.ProgramFolder() + L"\\brenvale.txt");
    } catch (const PlatformFailure& failure) {
        ShowLoadErrorReport(failure.Description());
        return false;
    }
    ChannelCount = 0;
    FieldReader reader(bytes);
    while (!reader.AtEnd()) {
        ++ChannelCount;
        bool complete = false;
        try {
            // Beyond the table's capacity the rest of the file is ignored.
            complete = ChannelCount <= kChannelCapacity &&
                       ReadRecord(reader, files, ChannelTable, ChannelCount);
        } catch (const PlatformFailure&) {
            complete = false;  // a field that cannot be converted ends the table like a cut
        }
        if (!complete) {
            --ChannelCount;  // the record being read does not count
            break;
        }
    }
    return true;
}

#include "emulated/palm/storage/Preferences.h"

namespace palm {

const char* PreferenceDatabaseName(bool backedUp) {
    return backedUp ? kSavedPreferences : kUnsavedPreferences;
}

Status ReadPreference(const HandheldFolder& handheld, DWORD creator, WORD id, bool backedUp,
                      Preference& out) {
    std::unique_ptr<Database> database;
    Status status = handheld.Open(PreferenceDatabaseName(backedUp), database);
    if (status != Status::Ok) {
        return status;
    }
    int index = database->FindResource(creator, id);
    if (!database->Header().IsResourceDatabase() || index < 0) {
        return Status::NotFound;
    }
    DWORD size = database->Entry(index).size;
    if (size < 2 || size - 2 > kMaxPreferenceSize) {
        return Status::Unreadable;
    }
    std::vector<BYTE> bytes(size);
    DWORD copied = 0;
    status = database->ReadRecord(index, bytes.data(), size, copied);
    if (status != Status::Ok) {
        return status;
    }
    out.version = GetBE16(bytes.data());
    out.data.assign(bytes.begin() + 2, bytes.end());
    return Status::Ok;
}

Status WritePreference(const HandheldFolder& handheld, DWORD creator, WORD id, bool backedUp, WORD version,
                       const BYTE* data, DWORD size) {
    if (size > kMaxPreferenceSize || (data == nullptr && size > 0)) {
        return Status::BadArgument;
    }
    std::unique_ptr<Database> database;
    Status status = handheld.Open(PreferenceDatabaseName(backedUp), database);
    if (status == Status::NotFound) {
        DatabaseHeader header;
        header.name = PreferenceDatabaseName(backedUp);
        header.attributes = static_cast<WORD>(kAttrResource | (backedUp ? kAttrBackup : 0));
        header.type = FourCharCode("sprf");
        header.creator = FourCharCode("psys");
        status = handheld.Create(header, database);
    }
    if (status != Status::Ok) {
        return status;
    }
    std::vector<BYTE> bytes(size + 2);
    PutBE16(bytes.data(), version);
    std::copy(data, data + size, bytes.begin() + 2);
    status = database->PutResource(creator, id, bytes.data(), static_cast<DWORD>(bytes.size()));
    return status == Status::Ok ? database->Commit() : status;
}

} // namespace palm

// Our Sync Manager: the handheld is a folder of .pdb files (palm_storage), one database open at a
// time, with call counting and fault injection for the tests.
#define SYNC20_BUILD
#define KESTRIN_EMU_BUILD
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "emulated/palm/storage/FileIo.h"
#include "emulated/palm/storage/HandheldFolder.h"
#include "emulated/palm/storage/Preferences.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr DWORD kDefaultFreeRam = 8 * 1024 * 1024;
constexpr DWORD kCardRomSize = 4 * 1024 * 1024;
constexpr DWORD kCardRamSize = 16 * 1024 * 1024;
constexpr BYTE kMaxCategory = 15;

struct OpenDatabase {
    std::unique_ptr<palm::Database> database;
    std::string name;
    BYTE mode = 0;
    BYTE handle = 0;
};

struct Handheld {
    std::unique_ptr<palm::HandheldFolder> folder;
    DWORD freeRam = kDefaultFreeRam;
    DWORD calls[emuOperationCount] = {};
    // Absolute call numbers that are to fail, per operation.
    std::vector<DWORD> faults[emuOperationCount];
    std::unique_ptr<OpenDatabase> open;
    BYTE lastHandle = 0;
    CONDHANDLE lastConduit = 0;
    std::vector<CONDHANDLE> conduits;
    WORD databaseCount = 0;
};

Handheld& State() {
    static Handheld handheld;
    return handheld;
}

long ToSyncError(palm::Status status) {
    switch (status) {
    case palm::Status::Ok:
        return SYNCERR_NONE;
    case palm::Status::NotFound:
        return SYNCERR_NOT_FOUND;
    case palm::Status::Exists:
        return SYNCERR_FILE_ALREADY_EXIST;
    case palm::Status::BadArgument:
        return SYNCERR_BAD_ARG;
    case palm::Status::Full:
        return SYNCERR_REMOTE_NO_SPACE;
    default:
        return SYNCERR_UNKNOWN;
    }
}

// Counts the call; true when an armed fault makes this call fail.
bool CountCall(Handheld& handheld, int operation) {
    DWORD call = ++handheld.calls[operation];
    std::vector<DWORD>& faults = handheld.faults[operation];
    auto fault = std::find(faults.begin(), faults.end(), call);
    if (fault == faults.end()) {
        return false;
    }
    faults.erase(fault);
    return true;
}

// Nothing may throw out of an export.
template <class Body> long Guarded(Body body) {
    try {
        return body();
    } catch (...) {
        return SYNCERR_UNKNOWN;
    }
}

// The common frame of an operation: counted, failed when a fault is armed or no handheld is attached.
template <class Body> long Operation(int operation, Body body) {
    return Guarded([&]() -> long {
        Handheld& handheld = State();
        if (CountCall(handheld, operation) || !handheld.folder) {
            return SYNCERR_UNKNOWN;
        }
        return body(handheld);
    });
}

// A name passed as a C string: its length, looking at no more than 32 bytes.
size_t BoundedLength(const char* name) {
    size_t length = 0;
    while (length <= palm::kMaxNameLength && name[length] != '\0') {
        ++length;
    }
    return length;
}

bool IsOpenHandle(const Handheld& handheld, BYTE handle) {
    return handheld.open && handheld.open->handle == handle;
}

BYTE NextHandle(Handheld& handheld) {
    if (++handheld.lastHandle == 0) {
        handheld.lastHandle = 1;
    }
    return handheld.lastHandle;
}

void Open(Handheld& handheld, std::unique_ptr<palm::Database> database, BYTE mode, BYTE& handle) {
    handheld.open.reset(new OpenDatabase);
    handheld.open->name = database->Header().name;
    handheld.open->database = std::move(database);
    handheld.open->mode = mode;
    handheld.open->handle = handle = NextHandle(handheld);
}

// Dates go to the PC as seconds since 1970.
long PcTime(DWORD palmTime) {
    return palmTime >= palm::kPalmEpochOffset ? static_cast<long>(palmTime - palm::kPalmEpochOffset) : 0;
}

void FillDatabaseInfo(const palm::Database& database, SyncDatabaseInfoType& info) {
    const palm::DatabaseHeader& header = database.Header();
    std::memset(&info, 0, sizeof(info));
    info.m_DbFlags = header.attributes;
    info.m_DbType = header.type;
    std::memcpy(info.m_Name, header.name.data(), header.name.size());
    info.m_Creator = header.creator;
    info.m_Version = header.version;
    info.m_ModNumber = header.modificationNumber;
    info.m_CreateDate = PcTime(header.creationDate);
    info.m_ModDate = PcTime(header.modificationDate);
    info.m_BackupDate = PcTime(header.backupDate);
    info.m_RecCount = static_cast<long>(database.RecordCount());
    info.m_dwNumRecords = static_cast<DWORD>(database.RecordCount());
    info.m_dwTotalBytes = database.FileSize();
    info.m_dwDataBytes = database.DataBytes();
    info.m_dwAppBlkSize = database.AppInfoSize();
    info.m_dwSortBlkSize = database.SortInfoSize();
    info.m_dwMaxRecSize = database.MaxRecordSize();
}

long WriteRecord(OpenDatabase& open, CRawRecordInfo& record) {
    if ((open.mode & eDbWrite) == 0) {
        return SYNCERR_READ_ONLY;
    }
    palm::Database& database = *open.database;
    if (database.Header().IsResourceDatabase()) {
        return SYNCERR_BAD_OPERATION;
    }
    if (record.m_CatId < 0 || record.m_CatId > kMaxCategory) {
        return SYNCERR_BAD_ARG;
    }
    DWORD size = record.m_RecSize != 0 ? record.m_RecSize : record.m_TotalBytes;
    BYTE attributes = static_cast<BYTE>((record.m_Attribs & 0xF0) | record.m_CatId);
    int index = record.m_RecId != 0 ? database.FindRecord(record.m_RecId) : -1;
    if (index >= 0) {
        return ToSyncError(database.ReplaceRecord(index, attributes, record.m_pBytes, size));
    }
    DWORD id = record.m_RecId;
    palm::Status status = database.AddRecord(attributes, id, record.m_pBytes, size);
    if (status == palm::Status::Ok) {
        record.m_RecId = id;
        record.m_RecIndex = static_cast<WORD>(database.RecordCount() - 1);
    }
    return ToSyncError(status);
}

long ReadRecord(const palm::Database& database, CRawRecordInfo& record) {
    if (record.m_RecIndex >= database.RecordCount()) {
        return SYNCERR_NOT_FOUND;
    }
    DWORD copied = 0;
    palm::Status status =
        database.ReadRecord(record.m_RecIndex, record.m_pBytes, record.m_TotalBytes, copied);
    if (status != palm::Status::Ok) {
        return ToSyncError(status);
    }
    const palm::RecordEntry& entry = database.Entry(record.m_RecIndex);
    bool resource = database.Header().IsResourceDatabase();
    record.m_RecSize = copied;
    record.m_RecId = resource ? 0 : entry.uniqueId;
    record.m_Attribs = resource ? 0 : static_cast<BYTE>(entry.attributes & 0xF0);
    record.m_CatId = resource ? 0 : static_cast<short>(entry.attributes & 0x0F);
    return SYNCERR_NONE;
}

} // namespace

extern "C" {

long __cdecl SyncRegisterConduit(CONDHANDLE* handle) {
    return Operation(emuRegister, [&](Handheld& handheld) -> long {
        if (handle == nullptr) {
            return SYNCERR_BAD_ARG;
        }
        if (++handheld.lastConduit == 0) {
            handheld.lastConduit = 1;
        }
        handheld.conduits.push_back(handheld.lastConduit);
        *handle = handheld.lastConduit;
        return SYNCERR_NONE;
    });
}

long __cdecl SyncUnRegisterConduit(CONDHANDLE handle) {
    return Guarded([&]() -> long {
        std::vector<CONDHANDLE>& conduits = State().conduits;
        auto found = std::find(conduits.begin(), conduits.end(), handle);
        if (found == conduits.end()) {
            return SYNCERR_BAD_ARG;
        }
        conduits.erase(found);
        return SYNCERR_NONE;
    });
}

long __cdecl SyncOpenDB(const char* name, int cardNo, BYTE* handle, BYTE openMode) {
    return Operation(emuOpen, [&](Handheld& handheld) -> long {
        if (name == nullptr || handle == nullptr || cardNo != 0) {
            return SYNCERR_BAD_ARG;
        }
        if (handheld.open) {
            return SYNCERR_TOO_MANY_OPEN_FILES;
        }
        if (BoundedLength(name) > palm::kMaxNameLength) {
            return SYNCERR_NOT_FOUND;
        }
        std::unique_ptr<palm::Database> database;
        palm::Status status = handheld.folder->Open(name, database);
        if (status == palm::Status::Ok) {
            Open(handheld, std::move(database), openMode, *handle);
        }
        return ToSyncError(status);
    });
}

long __cdecl SyncCreateDB(CDbCreateDB* create) {
    return Operation(emuCreate, [&](Handheld& handheld) -> long {
        if (create == nullptr || create->m_CardNo != 0 ||
            std::memchr(create->m_Name, 0, sizeof(create->m_Name)) == nullptr || create->m_Name[0] == '\0') {
            return SYNCERR_BAD_ARG;
        }
        if (handheld.open) {
            return SYNCERR_TOO_MANY_OPEN_FILES;
        }
        palm::DatabaseHeader header;
        header.name = create->m_Name;
        header.attributes = LOWORD(create->m_Flags);
        header.version = create->m_Version;
        header.type = create->m_Type;
        header.creator = create->m_Creator;
        std::unique_ptr<palm::Database> database;
        palm::Status status = handheld.folder->Create(header, database);
        if (status == palm::Status::Ok) {
            ++handheld.databaseCount;
            Open(handheld, std::move(database), eDbRead | eDbWrite, create->m_FileHandle);
        }
        return ToSyncError(status);
    });
}

// A close that fails, injected or not, drops the uncommitted writes and still closes the handle.
long __cdecl SyncCloseDB(BYTE handle) {
    return Guarded([&]() -> long {
        Handheld& handheld = State();
        bool fault = CountCall(handheld, emuClose);
        if (!handheld.folder || !IsOpenHandle(handheld, handle)) {
            return handheld.folder ? SYNCERR_FILE_NOT_OPEN : SYNCERR_UNKNOWN;
        }
        long result = fault ? SYNCERR_UNKNOWN : ToSyncError(handheld.open->database->Commit());
        handheld.open.reset();
        return result;
    });
}

long __cdecl SyncDeleteDB(const char* name, int cardNo) {
    return Operation(emuDelete, [&](Handheld& handheld) -> long {
        if (name == nullptr || cardNo != 0) {
            return SYNCERR_BAD_ARG;
        }
        if (BoundedLength(name) > palm::kMaxNameLength) {
            return SYNCERR_NOT_FOUND;
        }
        if (handheld.open && handheld.open->name == name) {
            return SYNCERR_FILE_OPEN;
        }
        palm::Status status = handheld.folder->Delete(name);
        if (status == palm::Status::Ok && handheld.databaseCount > 0) {
            --handheld.databaseCount;
        }
        return ToSyncError(status);
    });
}

long __cdecl SyncWriteRec(CRawRecordInfo* record) {
    return Operation(emuWriteRecord, [&](Handheld& handheld) -> long {
        if (record == nullptr) {
            return SYNCERR_BAD_ARG;
        }
        if (!IsOpenHandle(handheld, record->m_FileHandle)) {
            return SYNCERR_FILE_NOT_OPEN;
        }
        return WriteRecord(*handheld.open, *record);
    });
}

long __cdecl SyncReadRecordByIndex(CRawRecordInfo* record) {
    return Operation(emuReadRecord, [&](Handheld& handheld) -> long {
        if (record == nullptr) {
            return SYNCERR_BAD_ARG;
        }
        if (!IsOpenHandle(handheld, record->m_FileHandle)) {
            return SYNCERR_FILE_NOT_OPEN;
        }
        return ReadRecord(*handheld.open->database, *record);
    });
}

long __cdecl SyncFindDbByName(SyncFindDbByNameParams* params, SyncDatabaseInfoType* info) {
    return Operation(emuFind, [&](Handheld& handheld) -> long {
        if (params == nullptr || info == nullptr || params->pcDatabaseName == nullptr) {
            return SYNCERR_BAD_ARG;
        }
        if (params->dwCardNum != 0 || BoundedLength(params->pcDatabaseName) > palm::kMaxNameLength) {
            return SYNCERR_NOT_FOUND;
        }
        std::unique_ptr<palm::Database> database;
        palm::Status status = handheld.folder->Open(params->pcDatabaseName, database);
        if (status == palm::Status::Ok) {
            FillDatabaseInfo(*database, *info);
        }
        return ToSyncError(status);
    });
}

long __cdecl SyncReadSingleCardInfo(CCardInfo* info) {
    return Operation(emuCardInfo, [&](Handheld& handheld) -> long {
        if (info == nullptr) {
            return SYNCERR_BAD_ARG;
        }
        if (info->m_CardNo != 0) {
            return SYNCERR_NOT_FOUND;
        }
        std::memset(info, 0, sizeof(*info));
        info->m_CardVersion = 1;
        info->m_RomSize = kCardRomSize;
        info->m_RamSize = std::max(kCardRamSize, handheld.freeRam);
        info->m_FreeRam = handheld.freeRam;
        std::strcpy(info->m_CardName, "PalmCard");
        std::strcpy(info->m_ManufName, "Palm Computing");
        info->m_ramDbCount = handheld.databaseCount;
        return SYNCERR_NONE;
    });
}

long __cdecl SyncReadAppPreference(CSyncPreference* pref) {
    return Operation(emuReadPreference, [&](Handheld& handheld) -> long {
        if (pref == nullptr) {
            return SYNCERR_BAD_ARG;
        }
        palm::Preference found;
        palm::Status status = palm::ReadPreference(*handheld.folder, pref->m_Creator, pref->m_PrefId,
                                                   pref->m_Backup != 0, found);
        if (status != palm::Status::Ok) {
            return ToSyncError(status);
        }
        DWORD count =
            std::min<DWORD>({static_cast<DWORD>(found.data.size()), pref->m_ReqBytes, pref->m_dwDataSize});
        if (count > 0 && pref->m_pData == nullptr) {
            return SYNCERR_BAD_ARG;
        }
        std::copy(found.data.begin(), found.data.begin() + count, pref->m_pData);
        pref->m_Version = found.version;
        pref->m_RetBytes = static_cast<WORD>(count);
        pref->m_ActSize = static_cast<WORD>(found.data.size());
        return SYNCERR_NONE;
    });
}

long __cdecl SyncWriteAppPreference(CSyncPreference* pref) {
    return Operation(emuWritePreference, [&](Handheld& handheld) -> long {
        if (pref == nullptr) {
            return SYNCERR_BAD_ARG;
        }
        bool backedUp = pref->m_Backup != 0;
        if (handheld.open && handheld.open->name == palm::PreferenceDatabaseName(backedUp)) {
            return SYNCERR_FILE_OPEN;
        }
        return ToSyncError(palm::WritePreference(*handheld.folder, pref->m_Creator, pref->m_PrefId, backedUp,
                                                 pref->m_Version, pref->m_pData, pref->m_dwDataSize));
    });
}

WORD __cdecl SyncHostToHHWord(WORD value) {
    return static_cast<WORD>((value >> 8) | (value << 8));
}
DWORD __cdecl SyncHostToHHDWord(DWORD value) {
    return __builtin_bswap32(value);
}
DWORD __cdecl SyncHHToHostDWord(DWORD value) {
    return __builtin_bswap32(value);
}

EMU_API BOOL __cdecl EmuAttachHandheld(const char* folder) {
    try {
        Handheld& handheld = State();
        if (handheld.open) {
            handheld.open->database->Commit();
            handheld.open.reset();
        }
        handheld.folder.reset();
        std::fill(std::begin(handheld.calls), std::end(handheld.calls), 0);
        for (std::vector<DWORD>& faults : handheld.faults) {
            faults.clear();
        }
        palm::EndProcessAtStep(0);
        handheld.freeRam = kDefaultFreeRam;
        if (folder == nullptr || !palm::CreateFolderPath(folder)) {
            return FALSE;
        }
        handheld.folder.reset(new palm::HandheldFolder(folder));
        handheld.folder->RemoveLeftovers();
        handheld.databaseCount =
            static_cast<WORD>(std::min<size_t>(handheld.folder->DatabaseNames().size(), 0xFFFF));
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

EMU_API void __cdecl EmuSetFreeRam(DWORD bytes) {
    State().freeRam = bytes;
}

EMU_API void __cdecl EmuFailCall(int operation, DWORD nth) {
    if (operation < 0 || operation >= emuOperationCount || nth == 0) {
        return;
    }
    try {
        Handheld& handheld = State();
        handheld.faults[operation].push_back(handheld.calls[operation] + nth);
    } catch (...) {
    }
}

EMU_API void __cdecl EmuEndAtStorageStep(DWORD nth) {
    palm::EndProcessAtStep(nth);
}

EMU_API void __cdecl EmuClearFaults() {
    for (std::vector<DWORD>& faults : State().faults) {
        faults.clear();
    }
}

EMU_API DWORD __cdecl EmuCallCount(int operation) {
    return operation >= 0 && operation < emuOperationCount ? State().calls[operation] : 0;
}

EMU_API int __cdecl EmuOpenDatabaseCount() {
    return State().open ? 1 : 0;
}
}

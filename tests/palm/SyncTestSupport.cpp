#include "tests/palm/SyncTestSupport.h"

#include <doctest/doctest.h>

#include <cstring>

namespace palmtest {

AttachedHandheld::AttachedHandheld() {
    REQUIRE(EmuAttachHandheld(folder.path().c_str()));
}

long CreateDatabase(const std::string& name, BYTE& handle, DWORD type, DWORD creator, WORD version,
                    DWORD flags) {
    CDbCreateDB create = {};
    create.m_Creator = creator;
    create.m_Flags = flags;
    create.m_Type = type;
    create.m_Version = version;
    std::strncpy(create.m_Name, name.c_str(), sizeof(create.m_Name) - 1);
    long result = SyncCreateDB(&create);
    handle = create.m_FileHandle;
    return result;
}

long WriteNewRecord(BYTE handle, const std::vector<BYTE>& bytes, DWORD* id, BYTE attributes, short category) {
    std::vector<BYTE> copy = bytes;
    CRawRecordInfo record = {};
    record.m_FileHandle = handle;
    record.m_Attribs = attributes;
    record.m_CatId = category;
    record.m_RecSize = static_cast<DWORD>(copy.size());
    record.m_TotalBytes = static_cast<WORD>(copy.size());
    record.m_pBytes = copy.data();
    long result = SyncWriteRec(&record);
    if (id != nullptr) {
        *id = record.m_RecId;
    }
    return result;
}

long ReadRecord(BYTE handle, WORD index, WORD capacity, std::vector<BYTE>& out, CRawRecordInfo* info) {
    std::vector<BYTE> buffer(capacity + 1u, 0xEE);
    CRawRecordInfo record = {};
    record.m_FileHandle = handle;
    record.m_RecIndex = index;
    record.m_TotalBytes = capacity;
    record.m_pBytes = buffer.data();
    long result = SyncReadRecordByIndex(&record);
    CHECK(buffer[capacity] == 0xEE);
    out.assign(buffer.begin(), buffer.begin() + (result == 0 ? record.m_RecSize : 0));
    if (info != nullptr) {
        *info = record;
    }
    return result;
}

void MakeDatabase(const std::string& name, const std::vector<std::vector<BYTE>>& records) {
    BYTE handle = 0;
    REQUIRE(CreateDatabase(name, handle) == 0);
    for (const auto& record : records) {
        REQUIRE(WriteNewRecord(handle, record) == 0);
    }
    REQUIRE(SyncCloseDB(handle) == 0);
}

int CountRecords(const std::string& name) {
    BYTE handle = 0;
    if (SyncOpenDB(name.c_str(), 0, &handle, eDbRead | eDbShowSecret) != 0) {
        return -1;
    }
    int count = 0;
    std::vector<BYTE> bytes;
    while (ReadRecord(handle, static_cast<WORD>(count), 0, bytes) == 0) {
        ++count;
    }
    SyncCloseDB(handle);
    return count;
}

CSyncPreference TransferCountPreference(BYTE (&data)[42]) {
    CSyncPreference pref = {};
    pref.m_Creator = kCreatorKestrin;
    pref.m_ReqBytes = sizeof(data);
    pref.m_Backup = 1;
    pref.m_dwDataSize = sizeof(data);
    pref.m_pData = data;
    return pref;
}

} // namespace palmtest

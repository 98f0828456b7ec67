#include "conduit/HandheldDatabase.h"

#include "conduit/FileHeader.h"
#include "interfaces/palm/SyncMgr.h"

#include <cstring>

namespace {
constexpr BYTE kReadMode = eDbRead | eDbShowSecret;
constexpr BYTE kCardNumber = 0;
} // namespace

bool HandheldDatabase::Open(const std::string& name) {
    Close();
    open_ = SyncOpenDB(name.c_str(), kCardNumber, &handle_, kReadMode) == SYNCERR_NONE;
    return open_;
}

bool HandheldDatabase::Create(const std::string& name) {
    Close();
    CDbCreateDB create = {};
    create.m_Creator = layout::kCreatorIdNumber;
    create.m_Flags = 0;
    create.m_CardNo = kCardNumber;
    std::strncpy(create.m_Name, name.c_str(), sizeof(create.m_Name) - 1);
    create.m_Type = kFileDatabaseType;
    create.m_Version = kFileDatabaseVersion;
    open_ = SyncCreateDB(&create) == SYNCERR_NONE;
    handle_ = create.m_FileHandle;
    return open_;
}

bool HandheldDatabase::Close() {
    if (!open_) {
        return true;
    }
    open_ = false;
    return SyncCloseDB(handle_) == SYNCERR_NONE;
}

RecordRead HandheldDatabase::ReadRecord(WORD index, void* buffer, WORD bufferSize, DWORD& size) const {
    CRawRecordInfo record = {};
    record.m_FileHandle = handle_;
    record.m_RecIndex = index;
    record.m_TotalBytes = bufferSize;
    record.m_pBytes = static_cast<BYTE*>(buffer);
    long result = SyncReadRecordByIndex(&record);
    size = record.m_RecSize;
    if (result == SYNCERR_NOT_FOUND) {
        return RecordRead::NoRecord;
    }
    return result == SYNCERR_NONE ? RecordRead::Read : RecordRead::Failed;
}

bool HandheldDatabase::AppendRecord(const void* data, WORD size) const {
    CRawRecordInfo record = {};
    record.m_FileHandle = handle_;
    record.m_RecId = 0;
    record.m_Attribs = eRecAttrDirty;
    record.m_CatId = 0;
    record.m_RecSize = size;
    record.m_TotalBytes = size;
    record.m_pBytes = static_cast<BYTE*>(const_cast<void*>(data));
    return SyncWriteRec(&record) == SYNCERR_NONE;
}

// Palm Sync Manager (SYNC20.dll) as a conduit sees it: C linkage, __cdecl, byte-packed blocks.
// The operations exported only by ordinal are declared under their role names; SYNC20.def maps
// them to the ordinals.
#pragma once

#include <windows.h>

#include <cstddef>

typedef DWORD CONDHANDLE;

enum : long {
    SYNCERR_NONE = 0,
    SYNCERR_UNKNOWN = 0x4001,
    SYNCERR_NOT_FOUND = 0x4003,
    SYNCERR_FILE_NOT_OPEN = 0x4004,
    SYNCERR_FILE_OPEN = 0x4005,
    SYNCERR_READ_ONLY = 0x4009,
    SYNCERR_FILE_ALREADY_EXIST = 0x400B,
    SYNCERR_BAD_OPERATION = 0x400E,
    SYNCERR_REMOTE_NO_SPACE = 0x4014,
    SYNCERR_BAD_ARG = 0x4017,
    SYNCERR_TOO_MANY_OPEN_FILES = 0x403D,
};

enum : BYTE {
    eDbShowSecret = 0x10,
    eDbExclusive = 0x20,
    eDbWrite = 0x40,
    eDbRead = 0x80,
};

enum : BYTE { eRecAttrDirty = 0x40, eRecAttrDeleted = 0x80 };

// A find fills the sizes (record count, total and data bytes) only when asked for them.
enum : BYTE { eFindByNameOptGetAttributes = 0x80, eFindByNameOptGetSize = 0x40 };

#pragma pack(push, 1)

// Record block: 28 bytes.
struct CRawRecordInfo {
    BYTE m_FileHandle;
    DWORD m_RecId;
    WORD m_RecIndex;
    BYTE m_Attribs;
    short m_CatId;
    int m_ConduitId;
    DWORD m_RecSize;
    WORD m_TotalBytes;
    BYTE* m_pBytes;
    DWORD m_dwReserved;
};

// Create block: 52 bytes.
struct CDbCreateDB {
    BYTE m_FileHandle;
    DWORD m_Creator;
    DWORD m_Flags;
    BYTE m_CardNo;
    char m_Name[32];
    DWORD m_Type;
    WORD m_Version;
    DWORD m_dwReserved;
};

// Preference block: 30 bytes.
struct CSyncPreference {
    WORD m_Version;
    DWORD m_Creator;
    WORD m_PrefId;
    WORD m_ReqBytes;
    WORD m_RetBytes;
    WORD m_ActSize;
    DWORD m_Backup;
    DWORD m_dwDataSize;
    BYTE* m_pData;
    DWORD m_dwReserved;
};

// Card information: 93 bytes.
struct CCardInfo {
    BYTE m_CardNo;
    WORD m_CardVersion;
    long m_CreateDate;
    DWORD m_RomSize;
    DWORD m_RamSize;
    DWORD m_FreeRam;
    char m_CardName[32];
    char m_ManufName[32];
    WORD m_romDbCount;
    WORD m_ramDbCount;
    DWORD m_dwReserved;
    WORD m_wReserved;
};

struct SyncFindDbByNameParams {
    BYTE bOptFlags;
    DWORD dwCardNum;
    const char* pcDatabaseName;
};

// Reply of a find: 114 bytes.
struct SyncDatabaseInfoType {
    DWORD m_CardNum;
    WORD m_DbFlags;
    DWORD m_DbType;
    char m_Name[32];
    DWORD m_Creator;
    WORD m_Version;
    DWORD m_ModNumber;
    WORD m_Index;
    long m_CreateDate;
    long m_ModDate;
    long m_BackupDate;
    long m_miscFlags;
    long m_RecCount;
    DWORD m_dwReserved;
    DWORD m_dwNumRecords;
    DWORD m_dwTotalBytes;
    DWORD m_dwDataBytes;
    DWORD m_dwAppBlkSize;
    DWORD m_dwSortBlkSize;
    DWORD m_dwMaxRecSize;
    BYTE m_bReserved[12];
};

#pragma pack(pop)

static_assert(sizeof(CRawRecordInfo) == 28, "record block");
static_assert(sizeof(CDbCreateDB) == 52, "create block");
static_assert(sizeof(CSyncPreference) == 30, "preference block");
static_assert(sizeof(CCardInfo) == 93, "card info");
static_assert(sizeof(SyncDatabaseInfoType) == 114, "find reply");
static_assert(offsetof(SyncDatabaseInfoType, m_DbType) == 6, "find reply type");
static_assert(offsetof(SyncDatabaseInfoType, m_Creator) == 42, "find reply creator");
static_assert(offsetof(CCardInfo, m_FreeRam) == 15, "card free RAM");

#ifdef SYNC20_BUILD
#define SYNC20_API // exported through SYNC20.def
#else
#define SYNC20_API __declspec(dllimport)
#endif

extern "C" {
SYNC20_API long __cdecl SyncRegisterConduit(CONDHANDLE* handle);                               // ordinal 22
SYNC20_API long __cdecl SyncUnRegisterConduit(CONDHANDLE handle);                              // ordinal 23
SYNC20_API long __cdecl SyncOpenDB(const char* name, int cardNo, BYTE* handle, BYTE openMode); // 26
SYNC20_API long __cdecl SyncCreateDB(CDbCreateDB* create);                                     // ordinal 27
SYNC20_API long __cdecl SyncCloseDB(BYTE handle);                                              // ordinal 28
SYNC20_API long __cdecl SyncDeleteDB(const char* name, int cardNo);                            // ordinal 29
SYNC20_API long __cdecl SyncWriteRec(CRawRecordInfo* record);                                  // ordinal 32
SYNC20_API long __cdecl SyncReadRecordByIndex(CRawRecordInfo* record);                         // ordinal 36

SYNC20_API long __cdecl SyncFindDbByName(SyncFindDbByNameParams* params, SyncDatabaseInfoType* info);
SYNC20_API long __cdecl SyncReadSingleCardInfo(CCardInfo* info);
SYNC20_API long __cdecl SyncReadAppPreference(CSyncPreference* pref);
SYNC20_API long __cdecl SyncWriteAppPreference(CSyncPreference* pref);
SYNC20_API WORD __cdecl SyncHostToHHWord(WORD value);
SYNC20_API DWORD __cdecl SyncHostToHHDWord(DWORD value);
SYNC20_API DWORD __cdecl SyncHHToHostDWord(DWORD value);
}

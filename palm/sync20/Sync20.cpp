// Placeholder until the emulated handheld lands: registration and byte order only.
#define SYNC20_BUILD
#define KESTRIN_EMU_BUILD
#include "palm/HandheldEmu.h"
#include "palm/SyncMgr.h"

extern "C" {
long __cdecl SyncRegisterConduit(CONDHANDLE* handle) {
    *handle = 1;
    return 0;
}
long __cdecl SyncUnRegisterConduit(CONDHANDLE) { return 0; }
long __cdecl SyncOpenDB(const char*, int, BYTE*, BYTE) { return SYNCERR_NOT_FOUND; }
long __cdecl SyncCreateDB(CDbCreateDB*) { return SYNCERR_UNKNOWN; }
long __cdecl SyncCloseDB(BYTE) { return SYNCERR_FILE_NOT_OPEN; }
long __cdecl SyncDeleteDB(const char*, int) { return SYNCERR_NOT_FOUND; }
long __cdecl SyncWriteRec(CRawRecordInfo*) { return SYNCERR_FILE_NOT_OPEN; }
long __cdecl SyncReadRecordByIndex(CRawRecordInfo*) { return SYNCERR_FILE_NOT_OPEN; }
long __cdecl SyncFindDbByName(SyncFindDbByNameParams*, SyncDatabaseInfoType*) { return SYNCERR_NOT_FOUND; }
long __cdecl SyncReadSingleCardInfo(CCardInfo*) { return SYNCERR_UNKNOWN; }
long __cdecl SyncReadAppPreference(CSyncPreference*) { return SYNCERR_NOT_FOUND; }
long __cdecl SyncWriteAppPreference(CSyncPreference*) { return SYNCERR_UNKNOWN; }
WORD __cdecl SyncHostToHHWord(WORD value) { return static_cast<WORD>((value >> 8) | (value << 8)); }
DWORD __cdecl SyncHostToHHDWord(DWORD value) { return __builtin_bswap32(value); }
DWORD __cdecl SyncHHToHostDWord(DWORD value) { return __builtin_bswap32(value); }

EMU_API BOOL __cdecl EmuAttachHandheld(const char*) { return TRUE; }
}

extern "C" {
EMU_API void __cdecl EmuSetFreeRam(DWORD) {}
EMU_API void __cdecl EmuFailCall(int, DWORD) {}
EMU_API void __cdecl EmuClearFaults() {}
EMU_API DWORD __cdecl EmuCallCount(int) { return 0; }
EMU_API int __cdecl EmuOpenDatabaseCount() { return 0; }
}

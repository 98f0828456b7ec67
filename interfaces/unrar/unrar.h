// RARLAB's RAR extraction library, unrar.dll: PASCAL (stdcall) calls exported by undecorated names,
// packed records as the library publishes them. Setup loads it at run time and looks the calls up.
#pragma once

#include <windows.h>

#define ERAR_SUCCESS 0
#define ERAR_END_ARCHIVE 10
#define ERAR_NO_MEMORY 11
#define ERAR_BAD_DATA 12
#define ERAR_BAD_ARCHIVE 13
#define ERAR_UNKNOWN_FORMAT 14
#define ERAR_EOPEN 15
#define ERAR_ECREATE 16
#define ERAR_ECLOSE 17
#define ERAR_EREAD 18
#define ERAR_EWRITE 19
#define ERAR_SMALL_BUF 20
#define ERAR_UNKNOWN 21
#define ERAR_MISSING_PASSWORD 22
#define ERAR_EREFERENCE 23
#define ERAR_BAD_PASSWORD 24

#define RAR_OM_LIST 0
#define RAR_OM_EXTRACT 1
#define RAR_OM_LIST_INCSPLIT 2

#define RAR_SKIP 0
#define RAR_TEST 1
#define RAR_EXTRACT 2

#define RAR_VOL_ASK 0
#define RAR_VOL_NOTIFY 1

// What RARGetDllVersion returns: the version of this interface.
#define RAR_DLL_VERSION 8

#define RAR_HASH_NONE 0
#define RAR_HASH_CRC32 1
#define RAR_HASH_BLAKE2 2

// RARHeaderData(Ex)::Flags.
#define RHDF_SPLITBEFORE 0x01
#define RHDF_SPLITAFTER 0x02
#define RHDF_ENCRYPTED 0x04
#define RHDF_SOLID 0x10
#define RHDF_DIRECTORY 0x20

// RAROpenArchiveDataEx::Flags: what the archive's main header says.
#define ROADF_VOLUME 0x0001
#define ROADF_COMMENT 0x0002
#define ROADF_LOCK 0x0004
#define ROADF_SOLID 0x0008
#define ROADF_NEWNUMBERING 0x0010
#define ROADF_SIGNED 0x0020
#define ROADF_RECOVERY 0x0040
#define ROADF_ENCHEADERS 0x0080
#define ROADF_FIRSTVOLUME 0x0100

// RAROpenArchiveDataEx::OpFlags.
#define ROADOF_KEEPBROKEN 0x0001

// Messages to the callback set by RARSetCallback.
#define UCM_CHANGEVOLUME 0
#define UCM_PROCESSDATA 1
#define UCM_NEEDPASSWORD 2
#define UCM_CHANGEVOLUMEW 3
#define UCM_NEEDPASSWORDW 4

// Returns -1 to stop the operation, anything else to go on.
typedef int(CALLBACK* UNRARCALLBACK)(UINT msg, LPARAM UserData, LPARAM P1, LPARAM P2);
typedef int(PASCAL* CHANGEVOLPROC)(char* ArcName, int Mode);
// Returns 0 to stop the operation, anything else to go on.
typedef int(PASCAL* PROCESSDATAPROC)(unsigned char* Addr, int Size);

#pragma pack(push, 1)

struct RAROpenArchiveData {
    char* ArcName;
    unsigned int OpenMode;
    unsigned int OpenResult;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
};

struct RARHeaderData {
    char ArcName[260];
    char FileName[260];
    unsigned int Flags;
    unsigned int PackSize;
    unsigned int UnpSize;
    unsigned int HostOS;
    unsigned int FileCRC;
    unsigned int FileTime;
    unsigned int UnpVer;
    unsigned int Method;
    unsigned int FileAttr;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
};

struct RAROpenArchiveDataEx {
    char* ArcName;
    wchar_t* ArcNameW;
    unsigned int OpenMode;
    unsigned int OpenResult;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
    unsigned int Flags;
    UNRARCALLBACK Callback;
    LPARAM UserData;
    unsigned int OpFlags;
    wchar_t* CmtBufW;
    unsigned int Reserved[26];
};

struct RARHeaderDataEx {
    char ArcName[1024];
    wchar_t ArcNameW[1024];
    char FileName[1024];
    wchar_t FileNameW[1024];
    unsigned int Flags;
    unsigned int PackSize;
    unsigned int PackSizeHigh;
    unsigned int UnpSize;
    unsigned int UnpSizeHigh;
    unsigned int HostOS;
    unsigned int FileCRC;
    unsigned int FileTime;
    unsigned int UnpVer;
    unsigned int Method;
    unsigned int FileAttr;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
    unsigned int DictSize;
    unsigned int HashType;
    char Hash[32];
    unsigned int RedirType;
    wchar_t* RedirName;
    unsigned int RedirNameSize;
    unsigned int DirTarget;
    unsigned int MtimeLow;
    unsigned int MtimeHigh;
    unsigned int CtimeLow;
    unsigned int CtimeHigh;
    unsigned int AtimeLow;
    unsigned int AtimeHigh;
    unsigned int Reserved[988];
};

#pragma pack(pop)

static_assert(sizeof(RAROpenArchiveData) == 28, "RAROpenArchiveData is 28 bytes on Win32");
static_assert(sizeof(RARHeaderData) == 572, "RARHeaderData is 572 bytes on Win32");
static_assert(sizeof(RAROpenArchiveDataEx) == 156, "RAROpenArchiveDataEx is 156 bytes on Win32");
static_assert(sizeof(RARHeaderDataEx) == 10236, "RARHeaderDataEx is 10236 bytes on Win32");

// The calls, as GetProcAddress finds them.
using RAROpenArchiveFn = HANDLE(WINAPI*)(RAROpenArchiveData* data);
using RARReadHeaderFn = int(WINAPI*)(HANDLE archive, RARHeaderData* header);
using RARProcessFileFn = int(WINAPI*)(HANDLE archive, int operation, char* destPath, char* destName);
using RARCloseArchiveFn = int(WINAPI*)(HANDLE archive);
using RAROpenArchiveExFn = HANDLE(WINAPI*)(RAROpenArchiveDataEx* data);
using RARReadHeaderExFn = int(WINAPI*)(HANDLE archive, RARHeaderDataEx* header);
using RARProcessFileWFn = int(WINAPI*)(HANDLE archive, int operation, wchar_t* destPath, wchar_t* destName);
using RARSetCallbackFn = void(WINAPI*)(HANDLE archive, UNRARCALLBACK callback, LPARAM userData);
using RARSetChangeVolProcFn = void(WINAPI*)(HANDLE archive, CHANGEVOLPROC proc);
using RARSetProcessDataProcFn = void(WINAPI*)(HANDLE archive, PROCESSDATAPROC proc);
using RARSetPasswordFn = void(WINAPI*)(HANDLE archive, char* password);
using RARGetDllVersionFn = int(WINAPI*)();

// The calls themselves, for a program that links against the library.
extern "C" {
HANDLE PASCAL RAROpenArchive(RAROpenArchiveData* ArchiveData);
HANDLE PASCAL RAROpenArchiveEx(RAROpenArchiveDataEx* ArchiveData);
int PASCAL RARCloseArchive(HANDLE hArcData);
int PASCAL RARReadHeader(HANDLE hArcData, RARHeaderData* HeaderData);
int PASCAL RARReadHeaderEx(HANDLE hArcData, RARHeaderDataEx* HeaderData);
int PASCAL RARProcessFile(HANDLE hArcData, int Operation, char* DestPath, char* DestName);
int PASCAL RARProcessFileW(HANDLE hArcData, int Operation, wchar_t* DestPath, wchar_t* DestName);
void PASCAL RARSetCallback(HANDLE hArcData, UNRARCALLBACK Callback, LPARAM UserData);
void PASCAL RARSetChangeVolProc(HANDLE hArcData, CHANGEVOLPROC ChangeVolProc);
void PASCAL RARSetProcessDataProc(HANDLE hArcData, PROCESSDATAPROC ProcessDataProc);
void PASCAL RARSetPassword(HANDLE hArcData, char* Password);
int PASCAL RARGetDllVersion();
}

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

#define RAR_OM_LIST 0
#define RAR_OM_EXTRACT 1

#define RAR_SKIP 0
#define RAR_TEST 1
#define RAR_EXTRACT 2

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

#pragma pack(pop)

static_assert(sizeof(RAROpenArchiveData) == 28, "RAROpenArchiveData is 28 bytes on Win32");
static_assert(sizeof(RARHeaderData) == 572, "RARHeaderData is 572 bytes on Win32");

// The calls, as GetProcAddress finds them.
using RAROpenArchiveFn = HANDLE(WINAPI*)(RAROpenArchiveData* data);
using RARReadHeaderFn = int(WINAPI*)(HANDLE archive, RARHeaderData* header);
using RARProcessFileFn = int(WINAPI*)(HANDLE archive, int operation, char* destPath, char* destName);
using RARCloseArchiveFn = int(WINAPI*)(HANDLE archive);

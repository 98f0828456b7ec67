// What HotSync Manager passes to a conduit's exports (Palm conduit interface, C linkage, __cdecl).
#pragma once

#include <windows.h>

// The host's progress callback.
typedef long(__cdecl* PROGRESSFN)(char* text);

enum eSyncTypes : int { eFast, eSlow, eHHtoPC, ePCtoHH, eInstall, eBackup, eDoNothing, eProfileInstall };

enum eFirstSync : int { eNeither, ePC, eHH };

enum eConnType : int { eCable, eModemConnType };

#pragma pack(push, 1)
// Synchronisation properties handed to OpenConduit.
struct CSyncProperties {
    eSyncTypes m_SyncType;
    char m_PathName[256];
    char m_LocalName[256];
    char m_UserName[256];
    char* m_RemoteName[2];
    DWORD m_RemoteDbList;
    int m_nRemoteCount;
    DWORD m_Creator;
    WORD m_CardNo;
    DWORD m_DbType;
    DWORD m_AppInfoSize;
    DWORD m_SortInfoSize;
    eFirstSync m_FirstDevice;
    eConnType m_Connection;
    char m_Registry[256];
    HKEY m_hKey;
    DWORD m_dwReserved;
};

// Request block of GetConduitInfo for the conduit's name (kind 0).
struct ConduitRequestInfo {
    DWORD dwVersion;
    DWORD dwSize;
    DWORD dwCreatorId;
    DWORD dwProfileInfo;
};
#pragma pack(pop)

// Kinds of information GetConduitInfo answers.
enum ConduitInfoKind : int { eConduitName = 0, eMfcVersion = 1, eDefaultAction = 2 };

inline constexpr DWORD kConduitRequestVersion = 1;
inline constexpr DWORD kConduitRequestSize = 80;
inline constexpr DWORD kMfcVersion42 = 0x500;

// The handheld's file databases: one per file, record 0 its FileHeader, then the file's bytes in
// records of 32 768 bytes.
#pragma once

#include "settings/InstalledLayout.h"

#include <windows.h>

#include <string>

inline constexpr DWORD kFileDatabaseType = 0x44615461; // 'DaTa'
inline constexpr WORD kFileDatabaseVersion = 10;
inline constexpr DWORD kDataRecordSize = 32768;
// Data records have the 16-bit indexes 1 to 65 535.
inline constexpr ULONGLONG kMaxTransferBytes = 65535ull * kDataRecordSize;
inline constexpr const char* kQueueDatabaseName = "KestrinDatabaseFiles";

#pragma pack(push, 1)
// Record 0 of a file database. The compression field is in PC order; the other numbers are in
// handheld order, as they travel.
struct FileHeader {
    DWORD compression;
    DWORD fileSize;
    DWORD modificationTime;
    DWORD transferTime;
    char name[16];
    char extension[8];
    char modificationDate[12];
    char transferDate[12];
};
#pragma pack(pop)

static_assert(sizeof(FileHeader) == 64, "the file header is 64 bytes");

struct HandheldName {
    std::string name;      // at most 12 characters
    std::string extension; // empty, or the dot and at most three more characters
};

// The handheld name of a PC file name (without folder): the stem cut to 12 characters and the
// extension to 4, dot included.
HandheldName MakeHandheldName(const std::string& pcName);

// The compression field for a synchronisation's archiver setting: an archiver number the conduit does
// not know sends the file as it is.
DWORD CompressionForSending(DWORD archiver);

// Fills a zeroed header for one entry of the outgoing folder, with that compression and `now` as the
// transfer time.
void BuildFileHeader(const WIN32_FIND_DATAA& entry, DWORD compression, FileHeader& header,
                     const SYSTEMTIME& now);
// The same with the current local time.
void BuildFileHeader(const WIN32_FIND_DATAA& entry, DWORD compression, FileHeader& header);

// The name and extension fields joined, each taken up to its first zero byte or the field's end.
std::string FileNameOf(const FileHeader& header);
// The header's file size in PC order.
DWORD FileSizeOf(const FileHeader& header);

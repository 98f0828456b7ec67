// The Palm database file (.pdb/.prc): a 78-byte big-endian header, one entry per record or
// resource, two zero bytes, then the appInfo and sortInfo blocks and the records' data.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace palm {

constexpr DWORD kHeaderSize = 78;
constexpr DWORD kRecordEntrySize = 8;
constexpr DWORD kResourceEntrySize = 10;
constexpr DWORD kPaddingSize = 2;
constexpr size_t kMaxNameLength = 31;
constexpr DWORD kMaxRecordCount = 0xFFFF;
// The record block's buffer size is 16-bit: no larger record could be read back.
constexpr DWORD kMaxRecordSize = 0xFFFF;

constexpr WORD kAttrResource = 0x0001;
constexpr WORD kAttrBackup = 0x0008;

// Seconds between 1904-01-01 (Palm's epoch) and 1970-01-01.
constexpr uint32_t kPalmEpochOffset = 2082844800u;

enum class Status { Ok, NotFound, Exists, Unreadable, BadArgument, Full, IoError };

struct DatabaseHeader {
    std::string name;
    WORD attributes = 0;
    WORD version = 0;
    DWORD creationDate = 0;
    DWORD modificationDate = 0;
    DWORD backupDate = 0;
    DWORD modificationNumber = 0;
    DWORD appInfoOffset = 0;
    DWORD sortInfoOffset = 0;
    DWORD type = 0;
    DWORD creator = 0;
    DWORD uniqueIdSeed = 0;
    DWORD nextRecordListId = 0;
    WORD recordCount = 0;

    bool IsResourceDatabase() const { return (attributes & kAttrResource) != 0; }
    DWORD EntrySize() const { return IsResourceDatabase() ? kResourceEntrySize : kRecordEntrySize; }
};

inline WORD GetBE16(const BYTE* p) {
    return static_cast<WORD>(p[0] << 8 | p[1]);
}
inline DWORD GetBE32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) << 24 | static_cast<DWORD>(p[1]) << 16 | static_cast<DWORD>(p[2]) << 8 |
           p[3];
}
inline void PutBE16(BYTE* p, WORD value) {
    p[0] = static_cast<BYTE>(value >> 8);
    p[1] = static_cast<BYTE>(value);
}
inline void PutBE32(BYTE* p, DWORD value) {
    p[0] = static_cast<BYTE>(value >> 24);
    p[1] = static_cast<BYTE>(value >> 16);
    p[2] = static_cast<BYTE>(value >> 8);
    p[3] = static_cast<BYTE>(value);
}

// Four characters packed with the first one as the most significant byte ("DaTa" = 0x44615461).
DWORD FourCharCode(const char* text);
std::string FourCharText(DWORD code);

// A Palm name has 1 to 31 characters, any byte but 0.
bool IsValidDatabaseName(const std::string& name);

// The current time as seconds since 1904 (device local time, as a handheld keeps it).
DWORD PalmTimeNow();

void EncodeHeader(const DatabaseHeader& header, BYTE out[kHeaderSize]);
// Fails when the name field holds no terminated name of 1 to 31 characters.
bool DecodeHeader(const BYTE in[kHeaderSize], DatabaseHeader& header);

} // namespace palm

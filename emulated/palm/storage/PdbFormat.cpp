#include "emulated/palm/storage/PdbFormat.h"

#include <cstring>

namespace palm {

DWORD FourCharCode(const char* text) {
    BYTE bytes[4] = {};
    for (int i = 0; i < 4 && text[i] != '\0'; ++i) {
        bytes[i] = static_cast<BYTE>(text[i]);
    }
    return GetBE32(bytes);
}

std::string FourCharText(DWORD code) {
    BYTE bytes[4];
    PutBE32(bytes, code);
    return std::string(reinterpret_cast<const char*>(bytes), 4);
}

bool IsValidDatabaseName(const std::string& name) {
    return !name.empty() && name.size() <= kMaxNameLength && name.find('\0') == std::string::npos;
}

DWORD PalmTimeNow() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME fileTime;
    SystemTimeToFileTime(&local, &fileTime);
    ULARGE_INTEGER ticks;
    ticks.LowPart = fileTime.dwLowDateTime;
    ticks.HighPart = fileTime.dwHighDateTime;
    // FILETIME counts 100 ns from 1601-01-01; 1904-01-01 is 9561628800 s later.
    constexpr ULONGLONG kSeconds1601To1904 = 9561628800ull;
    return static_cast<DWORD>(ticks.QuadPart / 10000000ull - kSeconds1601To1904);
}

void EncodeHeader(const DatabaseHeader& header, BYTE out[kHeaderSize]) {
    std::memset(out, 0, kHeaderSize);
    std::memcpy(out, header.name.data(), header.name.size() < 31 ? header.name.size() : 31);
    PutBE16(out + 32, header.attributes);
    PutBE16(out + 34, header.version);
    PutBE32(out + 36, header.creationDate);
    PutBE32(out + 40, header.modificationDate);
    PutBE32(out + 44, header.backupDate);
    PutBE32(out + 48, header.modificationNumber);
    PutBE32(out + 52, header.appInfoOffset);
    PutBE32(out + 56, header.sortInfoOffset);
    PutBE32(out + 60, header.type);
    PutBE32(out + 64, header.creator);
    PutBE32(out + 68, header.uniqueIdSeed);
    PutBE32(out + 72, header.nextRecordListId);
    PutBE16(out + 76, header.recordCount);
}

bool DecodeHeader(const BYTE in[kHeaderSize], DatabaseHeader& header) {
    const void* terminator = std::memchr(in, 0, 32);
    if (terminator == nullptr) {
        return false;
    }
    header.name.assign(reinterpret_cast<const char*>(in), static_cast<const BYTE*>(terminator) - in);
    header.attributes = GetBE16(in + 32);
    header.version = GetBE16(in + 34);
    header.creationDate = GetBE32(in + 36);
    header.modificationDate = GetBE32(in + 40);
    header.backupDate = GetBE32(in + 44);
    header.modificationNumber = GetBE32(in + 48);
    header.appInfoOffset = GetBE32(in + 52);
    header.sortInfoOffset = GetBE32(in + 56);
    header.type = GetBE32(in + 60);
    header.creator = GetBE32(in + 64);
    header.uniqueIdSeed = GetBE32(in + 68);
    header.nextRecordListId = GetBE32(in + 72);
    header.recordCount = GetBE16(in + 76);
    return IsValidDatabaseName(header.name);
}

} // namespace palm

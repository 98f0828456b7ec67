#include "conduit/FileHeader.h"

#include "interfaces/palm/SyncMgr.h"
#include "settings/Settings.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMaxNamePart = 12;
constexpr size_t kMaxExtensionPart = 4;

// Seconds since midnight; the last-write time counts its seconds twice.
DWORD DayTime(const SYSTEMTIME& time, DWORD secondsFactor) {
    return 3600u * time.wHour + 60u * time.wMinute + secondsFactor * time.wSecond;
}

// MM.DD.YYYY, zero-filled to the end of the 12-byte field.
void WriteDate(const SYSTEMTIME& time, char (&field)[12]) {
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%02d.%02d.%d", time.wMonth, time.wDay, time.wYear);
    std::memset(field, 0, sizeof(field));
    std::memcpy(field, text, strnlen(text, sizeof(field)));
}

SYSTEMTIME LocalLastWriteTime(const FILETIME& lastWrite) {
    FILETIME local = {};
    SYSTEMTIME time = {};
    FileTimeToLocalFileTime(&lastWrite, &local);
    FileTimeToSystemTime(&local, &time);
    return time;
}

template <size_t N> void CopyField(const std::string& text, char (&field)[N]) {
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

template <size_t N> std::string ReadField(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

} // namespace

HandheldName MakeHandheldName(const std::string& pcName) {
    // The stem is a prefix of the name, so a stem cut to 12 characters is the name's first 12.
    size_t dot = pcName.rfind('.');
    std::string stem = pcName.substr(0, dot);
    std::string extension = dot == std::string::npos ? std::string() : pcName.substr(dot, kMaxExtensionPart);
    return {stem.substr(0, kMaxNamePart), extension};
}

DWORD CompressionForSending(DWORD archiver) {
    return archiver == settings::WinZip || archiver == settings::WinRar ? archiver : settings::NoArchiver;
}

void BuildFileHeader(const WIN32_FIND_DATAA& entry, DWORD compression, FileHeader& header,
                     const SYSTEMTIME& now) {
    header.compression = compression;
    header.fileSize = SyncHostToHHDWord(entry.nFileSizeLow);

    SYSTEMTIME modified = LocalLastWriteTime(entry.ftLastWriteTime);
    header.modificationTime = SyncHostToHHDWord(DayTime(modified, 2));
    WriteDate(modified, header.modificationDate);
    header.transferTime = SyncHostToHHDWord(DayTime(now, 1));
    WriteDate(now, header.transferDate);

    HandheldName handheldName = MakeHandheldName(entry.cFileName);
    CopyField(handheldName.name, header.name);
    CopyField(handheldName.extension, header.extension);
}

void BuildFileHeader(const WIN32_FIND_DATAA& entry, DWORD compression, FileHeader& header) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    BuildFileHeader(entry, compression, header, now);
}

std::string FileNameOf(const FileHeader& header) {
    return ReadField(header.name) + ReadField(header.extension);
}

DWORD FileSizeOf(const FileHeader& header) {
    return SyncHHToHostDWord(header.fileSize);
}

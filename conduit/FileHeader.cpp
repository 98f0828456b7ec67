#include "conduit/FileHeader.h"

#include "conduit/SyncDriver.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/Settings.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMaxNamePart = 12;
constexpr size_t kMaxExtensionPart = 4;

// An archiver number the conduit does not know sends the file as it is.
DWORD CompressionForSending() {
    DWORD archiver = conduitSettings.archiver;
    return archiver == settings::WinZip || archiver == settings::WinRar ? archiver : settings::NoArchiver;
}

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
    size_t dot = pcName.rfind('.');
    if (dot == std::string::npos) {
        return {pcName.substr(0, kMaxNamePart), std::string()};
    }
    std::string extension = pcName.substr(dot);
    // A stem that fits is kept whole; a longer one gives the name's first 12 characters.
    std::string stem = pcName.substr(0, dot);
    return {stem.size() <= kMaxNamePart ? stem : pcName.substr(0, kMaxNamePart),
            extension.substr(0, kMaxExtensionPart)};
}

void BuildFileHeader(const WIN32_FIND_DATAA& entry, FileHeader& header, const SYSTEMTIME& now) {
    header.compression = CompressionForSending();
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

void BuildFileHeader(const WIN32_FIND_DATAA& entry, FileHeader& header) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    BuildFileHeader(entry, header, now);
}

std::string FileNameOf(const FileHeader& header) {
    return ReadField(header.name) + ReadField(header.extension);
}

DWORD FileSizeOf(const FileHeader& header) {
    return SyncHHToHostDWord(header.fileSize);
}

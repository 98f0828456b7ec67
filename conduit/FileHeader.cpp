#include "conduit/FileHeader.h"

#include "settings/Settings.h"

namespace {

formats::LocalTime LocalTimeOf(const SYSTEMTIME& time) {
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

SYSTEMTIME LocalLastWriteTime(const FILETIME& lastWrite) {
    FILETIME local = {};
    SYSTEMTIME time = {};
    FileTimeToLocalFileTime(&lastWrite, &local);
    FileTimeToSystemTime(&local, &time);
    return time;
}

} // namespace

DWORD CompressionForSending(DWORD archiver) {
    return archiver == settings::WinZip || archiver == settings::WinRar ? archiver : settings::NoArchiver;
}

void BuildFileHeader(const WIN32_FIND_DATAA& entry, DWORD compression, FileHeader& header,
                     const SYSTEMTIME& now) {
    formats::SetCompression(header, compression);
    formats::SetFileSize(header, entry.nFileSizeLow);
    formats::SetModification(header, LocalTimeOf(LocalLastWriteTime(entry.ftLastWriteTime)));
    formats::SetTransfer(header, LocalTimeOf(now));
    formats::SetName(header, MakeHandheldName(entry.cFileName));
}

void BuildFileHeader(const WIN32_FIND_DATAA& entry, DWORD compression, FileHeader& header) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    BuildFileHeader(entry, compression, header, now);
}

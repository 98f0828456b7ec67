// The handheld application's side of a file database: one PC file as a "DaTa"/"vqKT" database
// whose record 0 is a 64-byte FileHeader and whose further records carry the bytes, 32 768 each.
#pragma once

#include "emulated/palm/storage/HandheldFolder.h"

#include <string>

namespace handheld {

constexpr const char* kFileDatabaseType = "DaTa";
constexpr const char* kCreator = "vqKT";
constexpr WORD kFileDatabaseVersion = 10;
constexpr DWORD kFileHeaderSize = 64;
constexpr DWORD kDataRecordSize = 32768;
constexpr size_t kNamePartLength = 12;
constexpr size_t kExtensionPartLength = 4;

struct HandheldName {
    std::string namePart;
    std::string extensionPart;
    std::string Full() const { return namePart + extensionPart; }
};

// The name a PC file (name without folder) gets on the handheld: the stem cut to 12 characters and
// the extension, dot included, cut to 4.
HandheldName HandheldNameOf(const std::string& fileName);

struct FileHeader {
    DWORD compression = 0; // little-endian on the handheld, unlike every other field
    DWORD fileSize = 0;
    DWORD modificationTime = 0; // 3600 h + 60 m + 2 s
    DWORD transferTime = 0;     // 3600 h + 60 m + s
    std::string name;
    std::string extension;
    std::string modificationDate; // MM.DD.YYYY
    std::string transferDate;
};

void EncodeFileHeader(const FileHeader& header, BYTE out[kFileHeaderSize]);
// Each text field is read up to its first zero byte or the end of the field.
FileHeader DecodeFileHeader(const BYTE in[kFileHeaderSize]);
std::string DateText(const SYSTEMTIME& time);
DWORD ModificationSeconds(const SYSTEMTIME& time);
DWORD TransferSeconds(const SYSTEMTIME& time);

struct QueueOptions {
    DWORD compression = 0;
    bool sizeGiven = false;
    DWORD size = 0;
};

// Writes the PC file at `pcPath` as a new file database; `databaseName` gets its name.
// Exists when a database of that name is already there.
palm::Status WriteFileDatabase(const palm::HandheldFolder& handheld, const std::string& pcPath,
                               const QueueOptions& options, std::string& databaseName, std::string& error);

// Writes the data records of a file database to `outPath`; `header` gets its FileHeader and
// `written` the number of bytes.
palm::Status ExtractFileDatabase(const palm::HandheldFolder& handheld, const std::string& databaseName,
                                 const std::string& outPath, FileHeader& header, ULONGLONG& written,
                                 std::string& error);

} // namespace handheld

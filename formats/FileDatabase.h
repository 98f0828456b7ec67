// Kestrin's handheld storage, in standard C++ only: the file database (one per file, record 0 its
// 64-byte FileHeader, then the file's bytes in records of 32 768 bytes) and the queue database in
// which the handheld application lists the file databases waiting for the PC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace formats {

constexpr uint32_t kFileDatabaseType = 0x44615461;    // 'DaTa'
constexpr uint32_t kFileDatabaseCreator = 0x76714B54; // 'vqKT'
constexpr uint16_t kFileDatabaseVersion = 10;
constexpr uint32_t kFileHeaderSize = 64;
constexpr uint32_t kDataRecordSize = 32768;
// Data records have the 16-bit indexes 1 to 65 535.
constexpr uint32_t kMaxDataRecords = 65535;
constexpr uint64_t kMaxTransferBytes = uint64_t(kMaxDataRecords) * kDataRecordSize;
constexpr size_t kMaxNamePart = 12;
constexpr size_t kMaxExtensionPart = 4;

// The compression field: the number of the archiver that packed the transferred bytes.
enum Compression : uint32_t { kNotCompressed = 0, kZipArchive = 1, kRarArchive = 2 };

// Record 0 of a file database, laid out as it is stored: the compression field in PC order
// (little-endian), the other numbers in handheld order (big-endian). Read and write the numbers
// through the functions below, which do not depend on the host's byte order.
struct FileHeader {
    uint32_t compression;
    uint32_t fileSize;
    uint32_t modificationTime;
    uint32_t transferTime;
    char name[16];
    char extension[8];
    char modificationDate[12];
    char transferDate[12];
};
static_assert(sizeof(FileHeader) == kFileHeaderSize, "the file header is 64 bytes");

struct HandheldName {
    std::string name;      // at most 12 characters
    std::string extension; // empty, or the dot and at most three more characters
};

// The handheld name of a PC file name (without folder): the stem cut to 12 characters and the
// extension to 4, dot included.
HandheldName MakeHandheldName(const std::string& pcName);

// A local date and time as the header records it.
struct LocalTime {
    int year = 0;
    int month = 0; // 1-12
    int day = 0;   // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

uint32_t CompressionOf(const FileHeader& header);
uint32_t FileSizeOf(const FileHeader& header);
uint32_t ModificationTimeOf(const FileHeader& header);
uint32_t TransferTimeOf(const FileHeader& header);
void SetCompression(FileHeader& header, uint32_t compression);
void SetFileSize(FileHeader& header, uint32_t size);
// Modification time and date: 3600 h + 60 m + 2 s (the seconds counted twice) and MM.DD.YYYY.
void SetModification(FileHeader& header, const LocalTime& time);
// Transfer time and date: 3600 h + 60 m + s and MM.DD.YYYY.
void SetTransfer(FileHeader& header, const LocalTime& time);
// The name and extension fields; bytes not written stay as they were.
void SetName(FileHeader& header, const HandheldName& name);

// The name and extension fields joined, each taken up to its first zero byte or the field's end.
std::string HandheldNameOf(const FileHeader& header);
// A text field up to its first zero byte or the field's end.
std::string FieldText(const char* field, size_t size);

// The header from the first 64 bytes of record 0.
FileHeader FileHeaderFromBytes(const void* bytes);

// The number of data records for n transferred bytes: full records of 32 768, the last one holding
// the rest; none for an empty file.
uint32_t DataRecordCount(uint64_t bytes);

// The queue database "KestrinDatabaseFiles": record 0 starts with the number N of queued files
// (big-endian u32); records 1 to N each hold one file database's name, zero-terminated.
constexpr const char* kQueueDatabaseName = "KestrinDatabaseFiles";
// Type and creator are the handheld application's; readers do not look at them.
constexpr uint32_t kQueueDatabaseType = 0x44415441; // 'DATA'
constexpr uint32_t kMaxQueuedFiles = 65535;
// A reader takes at most this many bytes of each name record.
constexpr uint32_t kQueueNameSize = 32;

// The name a queue record holds: its bytes up to the first zero, at most 32 of them.
std::string QueuedNameOf(const char* record, size_t size);

} // namespace formats

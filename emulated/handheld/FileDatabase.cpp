#include "emulated/handheld/FileDatabase.h"

#include "emulated/palm/storage/FileIo.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace handheld {
namespace {

constexpr size_t kNameField = 16;
constexpr size_t kExtensionField = 32;
constexpr size_t kModificationDateField = 40;
constexpr size_t kTransferDateField = 52;
constexpr size_t kDateFieldSize = 12;

void PutText(BYTE* out, const std::string& text, size_t fieldSize) {
    std::memcpy(out, text.data(), text.size() < fieldSize ? text.size() : fieldSize);
}

std::string GetText(const BYTE* in, size_t fieldSize) {
    const void* zero = std::memchr(in, 0, fieldSize);
    size_t length = zero ? static_cast<const BYTE*>(zero) - in : fieldSize;
    return std::string(reinterpret_cast<const char*>(in), length);
}

std::string BaseName(const std::string& path) {
    size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

SYSTEMTIME LocalTimeOf(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME time = {};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    return time;
}

FileHeader BuildHeader(const std::string& pcPath, const BY_HANDLE_FILE_INFORMATION& info, DWORD fileSize,
                       const QueueOptions& options) {
    FileHeader header;
    HandheldName name = HandheldNameOf(BaseName(pcPath));
    header.compression = options.compression;
    header.fileSize = options.sizeGiven ? options.size : fileSize;
    SYSTEMTIME modified = LocalTimeOf(info.ftLastWriteTime);
    SYSTEMTIME now;
    GetLocalTime(&now);
    header.modificationTime = ModificationSeconds(modified);
    header.modificationDate = DateText(modified);
    header.transferTime = TransferSeconds(now);
    header.transferDate = DateText(now);
    header.name = name.namePart;
    header.extension = name.extensionPart;
    return header;
}

// The header record, then the file in pieces of 32 768 bytes, one piece in memory at a time.
palm::Status WriteRecords(palm::Database& database, HANDLE source, DWORD fileSize, const FileHeader& header) {
    BYTE headerBytes[kFileHeaderSize];
    EncodeFileHeader(header, headerBytes);
    DWORD id = 0;
    palm::Status status = database.AddRecord(0, id, headerBytes, kFileHeaderSize);
    std::vector<BYTE> piece(kDataRecordSize);
    for (DWORD offset = 0; status == palm::Status::Ok && offset < fileSize; offset += kDataRecordSize) {
        DWORD size = fileSize - offset < kDataRecordSize ? fileSize - offset : kDataRecordSize;
        if (!palm::ReadAt(source, offset, piece.data(), size)) {
            return palm::Status::IoError;
        }
        id = 0;
        status = database.AddRecord(0, id, piece.data(), size);
    }
    return status == palm::Status::Ok ? database.Commit() : status;
}

} // namespace

HandheldName HandheldNameOf(const std::string& fileName) {
    HandheldName name;
    size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos) {
        name.namePart = fileName.substr(0, kNamePartLength);
        return name;
    }
    name.extensionPart = fileName.substr(dot, kExtensionPartLength);
    name.namePart = fileName.substr(0, dot <= kNamePartLength ? dot : kNamePartLength);
    return name;
}

void EncodeFileHeader(const FileHeader& header, BYTE out[kFileHeaderSize]) {
    std::memset(out, 0, kFileHeaderSize);
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<BYTE>(header.compression >> (8 * i));
    }
    palm::PutBE32(out + 4, header.fileSize);
    palm::PutBE32(out + 8, header.modificationTime);
    palm::PutBE32(out + 12, header.transferTime);
    PutText(out + kNameField, header.name, kNamePartLength);
    PutText(out + kExtensionField, header.extension, kExtensionPartLength);
    PutText(out + kModificationDateField, header.modificationDate, kDateFieldSize);
    PutText(out + kTransferDateField, header.transferDate, kDateFieldSize);
}

FileHeader DecodeFileHeader(const BYTE in[kFileHeaderSize]) {
    FileHeader header;
    header.compression = in[0] | in[1] << 8 | in[2] << 16 | static_cast<DWORD>(in[3]) << 24;
    header.fileSize = palm::GetBE32(in + 4);
    header.modificationTime = palm::GetBE32(in + 8);
    header.transferTime = palm::GetBE32(in + 12);
    header.name = GetText(in + kNameField, kExtensionField - kNameField);
    header.extension = GetText(in + kExtensionField, kModificationDateField - kExtensionField);
    header.modificationDate = GetText(in + kModificationDateField, kDateFieldSize);
    header.transferDate = GetText(in + kTransferDateField, kDateFieldSize);
    return header;
}

std::string DateText(const SYSTEMTIME& time) {
    char text[kDateFieldSize + 8];
    std::snprintf(text, sizeof(text), "%02d.%02d.%d", time.wMonth, time.wDay, time.wYear);
    return text;
}

DWORD ModificationSeconds(const SYSTEMTIME& time) {
    return 3600u * time.wHour + 60u * time.wMinute + 2u * time.wSecond;
}

DWORD TransferSeconds(const SYSTEMTIME& time) {
    return 3600u * time.wHour + 60u * time.wMinute + time.wSecond;
}

palm::Status WriteFileDatabase(const palm::HandheldFolder& handheld, const std::string& pcPath,
                               const QueueOptions& options, std::string& databaseName, std::string& error) {
    win::File source = palm::OpenForReading(pcPath);
    BY_HANDLE_FILE_INFORMATION info;
    if (!source || !GetFileInformationByHandle(source.get(), &info)) {
        error = "cannot open " + pcPath;
        return palm::Status::NotFound;
    }
    DWORD fileSize = 0;
    if (!palm::SmallFileSize(source.get(), fileSize)) {
        error = pcPath + " is too large for the handheld";
        return palm::Status::Full;
    }
    FileHeader header = BuildHeader(pcPath, info, fileSize, options);
    databaseName = header.name + header.extension;
    palm::DatabaseHeader databaseHeader;
    databaseHeader.name = databaseName;
    databaseHeader.type = palm::FourCharCode(kFileDatabaseType);
    databaseHeader.creator = palm::FourCharCode(kCreator);
    databaseHeader.version = kFileDatabaseVersion;
    std::unique_ptr<palm::Database> database;
    palm::Status status = handheld.Create(databaseHeader, database);
    if (status != palm::Status::Ok) {
        error = status == palm::Status::Exists ? "a database named \"" + databaseName + "\" already exists"
                                               : "cannot create the database \"" + databaseName + "\"";
        return status;
    }
    status = WriteRecords(*database, source.get(), fileSize, header);
    if (status != palm::Status::Ok) {
        database.reset();
        handheld.Delete(databaseName);
        error = "cannot write the database \"" + databaseName + "\"";
    }
    return status;
}

palm::Status ExtractFileDatabase(const palm::HandheldFolder& handheld, const std::string& databaseName,
                                 const std::string& outPath, FileHeader& header, ULONGLONG& written,
                                 std::string& error) {
    std::unique_ptr<palm::Database> database;
    palm::Status status = handheld.Open(databaseName, database);
    BYTE headerBytes[kFileHeaderSize] = {};
    DWORD copied = 0;
    if (status != palm::Status::Ok || database->RecordCount() == 0 ||
        database->ReadRecord(0, headerBytes, kFileHeaderSize, copied) != palm::Status::Ok ||
        copied != kFileHeaderSize) {
        error = "\"" + databaseName + "\" is not a readable file database";
        return status == palm::Status::Ok ? palm::Status::Unreadable : status;
    }
    header = DecodeFileHeader(headerBytes);
    win::File out(CreateFileA(outPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        error = "cannot create " + outPath;
        return palm::Status::IoError;
    }
    std::vector<BYTE> piece(palm::kMaxRecordSize);
    written = 0;
    for (size_t index = 1; index < database->RecordCount(); ++index) {
        if (database->ReadRecord(index, piece.data(), static_cast<DWORD>(piece.size()), copied) !=
                palm::Status::Ok ||
            !palm::WriteAll(out.get(), piece.data(), copied)) {
            error = "cannot copy record " + std::to_string(index) + " to " + outPath;
            return palm::Status::IoError;
        }
        written += copied;
    }
    return palm::Status::Ok;
}

} // namespace handheld

#include "emulated/handheld/FileDatabase.h"

#include "emulated/palm/storage/FileIo.h"

#include <vector>

namespace handheld {
namespace {

std::string BaseName(const std::string& path) {
    size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

formats::LocalTime LocalTimeOf(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME time = {};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

formats::LocalTime Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

FileHeader BuildHeader(const std::string& pcPath, const BY_HANDLE_FILE_INFORMATION& info, DWORD fileSize,
                       const QueueOptions& options) {
    FileHeader header = {};
    formats::SetCompression(header, options.compression);
    formats::SetFileSize(header, options.sizeGiven ? options.size : fileSize);
    formats::SetModification(header, LocalTimeOf(info.ftLastWriteTime));
    formats::SetTransfer(header, Now());
    formats::SetName(header, formats::MakeHandheldName(BaseName(pcPath)));
    return header;
}

// The header record, then the file in pieces of 32 768 bytes, one piece in memory at a time.
palm::Status WriteRecords(palm::Database& database, HANDLE source, DWORD fileSize, const FileHeader& header) {
    DWORD id = 0;
    palm::Status status =
        database.AddRecord(0, id, reinterpret_cast<const BYTE*>(&header), formats::kFileHeaderSize);
    std::vector<BYTE> piece(formats::kDataRecordSize);
    for (DWORD offset = 0; status == palm::Status::Ok && offset < fileSize;
         offset += formats::kDataRecordSize) {
        DWORD size =
            fileSize - offset < formats::kDataRecordSize ? fileSize - offset : formats::kDataRecordSize;
        if (!palm::ReadAt(source, offset, piece.data(), size)) {
            return palm::Status::IoError;
        }
        id = 0;
        status = database.AddRecord(0, id, piece.data(), size);
    }
    return status == palm::Status::Ok ? database.Commit() : status;
}

} // namespace

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
    databaseName = formats::HandheldNameOf(header);
    palm::DatabaseHeader databaseHeader;
    databaseHeader.name = databaseName;
    databaseHeader.type = formats::kFileDatabaseType;
    databaseHeader.creator = formats::kFileDatabaseCreator;
    databaseHeader.version = formats::kFileDatabaseVersion;
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
    BYTE headerBytes[formats::kFileHeaderSize] = {};
    DWORD copied = 0;
    if (status != palm::Status::Ok || database->RecordCount() == 0 ||
        database->ReadRecord(0, headerBytes, formats::kFileHeaderSize, copied) != palm::Status::Ok ||
        copied != formats::kFileHeaderSize) {
        error = "\"" + databaseName + "\" is not a readable file database";
        return status == palm::Status::Ok ? palm::Status::Unreadable : status;
    }
    header = formats::FileHeaderFromBytes(headerBytes);
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

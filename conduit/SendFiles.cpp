#include "conduit/Archiver.h"
#include "conduit/FileNames.h"
#include "conduit/HandheldDatabase.h"
#include "conduit/Passes.h"
#include "conduit/PcFiles.h"
#include "conduit/Questions.h"
#include "conduit/SyncDriver.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/OutgoingFolder.h"
#include "settings/Settings.h"

#include <optional>
#include <vector>

namespace {

constexpr ULONGLONG kBytesPerRecord = 8;
constexpr ULONGLONG kDatabaseOverhead = 270;

bool ReadFreeRam(DWORD& freeRam) {
    CCardInfo card = {};
    card.m_CardNo = 0;
    if (SyncReadSingleCardInfo(&card) != SYNCERR_NONE) {
        return false;
    }
    freeRam = card.m_FreeRam;
    return true;
}

bool ReadExactly(HANDLE file, BYTE* buffer, DWORD size) {
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

bool WriteFileRecords(const HandheldDatabase& database, HANDLE source, ULONGLONG size) {
    std::vector<BYTE> piece(kDataRecordSize);
    for (ULONGLONG remaining = size; remaining > 0;) {
        DWORD pieceSize = remaining < kDataRecordSize ? static_cast<DWORD>(remaining) : kDataRecordSize;
        if (!ReadExactly(source, piece.data(), pieceSize) ||
            !database.AppendRecord(piece.data(), static_cast<WORD>(pieceSize))) {
            return false;
        }
        remaining -= pieceSize;
    }
    return true;
}

// Creates the file database and writes the header and the data. On any failure the database that
// was created is deleted again, so no partial file stays on the handheld.
bool WriteFileDatabase(const FileHeader& header, HANDLE source, ULONGLONG size) {
    std::string name = FileNameOf(header);
    HandheldDatabase database;
    if (!database.Create(name)) {
        return false;
    }
    bool written = database.AppendRecord(&header, sizeof(header)) && WriteFileRecords(database, source, size);
    bool closed = database.Close();
    if (written && closed) {
        return true;
    }
    SyncDeleteDB(name.c_str(), 0);
    return false;
}

std::optional<ULONGLONG> SizeOf(HANDLE file) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size)) {
        return std::nullopt;
    }
    return static_cast<ULONGLONG>(size.QuadPart);
}

// Packs the file into the temporary archive. The archive is owned (deleted at the end) only when
// the conduit made it: a user's file of that name is never touched, and the file is then not sent.
OwnedFile Compress(settings::ArchiverChoice archiver, const std::string& fileName) {
    const char* archiveName = TemporaryArchiveName(archiver);
    if (PathExists(archiveName)) {
        return OwnedFile();
    }
    OwnedFile archive(archiveName);
    RunArchiver(CompressCommand(archiver, conduitSettings.archiverPath, fileName));
    return archive;
}

// The bytes that travel: the file itself, or its temporary archive. The file is closed before the
// archive is deleted.
struct Source {
    OwnedFile archive;
    win::File file;
    ULONGLONG size = 0;
};

bool OpenSource(const WIN32_FIND_DATAA& entry, const FileHeader& header, Source& source) {
    auto compression = static_cast<settings::ArchiverChoice>(header.compression);
    if (compression != settings::NoArchiver) {
        source.archive = Compress(compression, entry.cFileName);
        if (!source.archive) {
            return false;
        }
    }
    const std::string name = source.archive ? source.archive.name() : std::string(entry.cFileName);
    // No one may change the source while it travels.
    source.file.reset(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    std::optional<ULONGLONG> size = source.file ? SizeOf(source.file.get()) : std::nullopt;
    if (!size || *size > kMaxTransferBytes) {
        return false;
    }
    source.size = *size;
    // An uncompressed file that changed since the listing would not match its header.
    return source.archive || source.size == FileSizeOf(header);
}

} // namespace

bool FitsFreeRam(ULONGLONG transferredBytes, DWORD freeRam) {
    ULONGLONG needed =
        transferredBytes + kBytesPerRecord * (transferredBytes / kDataRecordSize) + kDatabaseOverhead;
    return freeRam >= needed;
}

bool ConfirmHandheldOverwrite(const FileHeader& header) {
    std::string name = FileNameOf(header);
    SyncFindDbByNameParams find = {eFindByNameOptGetAttributes, 0, name.c_str()};
    SyncDatabaseInfoType found = {};
    if (SyncFindDbByName(&find, &found) != SYNCERR_NONE || found.m_DbType != kFileDatabaseType ||
        found.m_Creator != layout::kCreatorIdNumber) {
        return true;
    }
    DWORD policy = conduitSettings.fromPCToPalm;
    if (policy == settings::Ask) {
        std::string question = "File " + name + " already exists on your Palm Device! Overwrite?";
        policy = UserAllowsOverwrite(question) ? settings::Overwrite : settings::DoNothing;
    }
    if (policy == settings::DoNothing) {
        return false;
    }
    SyncDeleteDB(name.c_str(), 0);
    return true;
}

void SendFile(const WIN32_FIND_DATAA& entry, const FileHeader& header) {
    Source source;
    if (!OpenSource(entry, header, source)) {
        return;
    }
    DWORD freeRam = 0;
    if (!ReadFreeRam(freeRam) || !FitsFreeRam(source.size, freeRam) ||
        !WriteFileDatabase(header, source.file.get(), source.size)) {
        return;
    }
    source.file.reset();
    DeleteFileA(entry.cFileName);
    ++sentCount;
}

void SendFiles() {
    WorkingFolder folder;
    if (!folder.Enter(conduitSettings.sendFolder)) {
        return;
    }
    for (const settings::OutgoingEntry& listed : settings::ListOutgoingFolder(".")) {
        if (!listed.ToSend()) {
            continue;
        }
        WIN32_FIND_DATAA entry = listed.AnsiFindData();
        FileHeader header = {};
        BuildFileHeader(entry, header);
        if (ConfirmHandheldOverwrite(header)) {
            SendFile(entry, header);
        }
    }
}

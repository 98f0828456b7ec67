#include "conduit/Archiver.h"
#include "conduit/HandheldDatabase.h"
#include "conduit/Passes.h"
#include "conduit/PcFiles.h"
#include "conduit/Questions.h"
#include "conduit/SyncDriver.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/InstalledLayout.h"
#include "settings/OutgoingFolder.h"
#include "settings/Settings.h"
#include "win/Paths.h"

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
    std::string name = HandheldNameOf(header);
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

// Whether a file database of ours holds a whole file: a 64-byte header record and, for an
// uncompressed file, data of the header's size. What cannot be read counts as whole.
bool HoldsWholeFile(const std::string& name) {
    HandheldDatabase database;
    if (!database.Open(name)) {
        return true;
    }
    FileHeader header = {};
    DWORD size = 0;
    RecordRead read = database.ReadRecord(0, &header, sizeof(header), size);
    if (read != RecordRead::Read) {
        return read == RecordRead::Failed;
    }
    if (size < sizeof(header)) {
        return false;
    }
    if (header.compression != settings::NoArchiver) {
        return true;
    }
    std::vector<BYTE> buffer(kDataRecordSize);
    ULONGLONG total = 0;
    for (DWORD index = 1; index <= 0xFFFF; ++index) {
        read = database.ReadRecord(static_cast<WORD>(index), buffer.data(), kDataRecordSize, size);
        if (read == RecordRead::NoRecord) {
            break;
        }
        if (read == RecordRead::Failed) {
            return true;
        }
        total += size;
    }
    return total == FileSizeOf(header);
}

// The bytes that travel: the file itself, or its temporary archive in the private folder. The file
// is closed before the private folder goes.
struct Source {
    PrivateFolder work;
    win::File file;
    ULONGLONG size = 0;
};

// Packs the file inside the private folder: the file goes in under its own name (a hard link, or a
// copy where the file system has none) and the archiver packs it there, so a user's file named like
// the temporary archive is never in its way.
bool Compress(settings::ArchiverChoice archiver, const std::string& programPath, const std::string& outbox,
              const std::string& fileName, Source& source, std::string& failure) {
    if (!source.work.Create(outbox)) {
        failure = "the conduit's working folder cannot be made";
        return false;
    }
    std::string original = win::JoinPath(outbox, fileName);
    std::string inside = source.work / fileName;
    if (!CreateHardLinkA(inside.c_str(), original.c_str(), nullptr) &&
        !CopyFileA(original.c_str(), inside.c_str(), TRUE)) {
        failure = "it cannot be prepared for compression";
        return false;
    }
    if (!ArchiverSucceeds(CompressCommand(archiver, programPath, fileName), source.work.path())) {
        failure = "the archiver failed";
        return false;
    }
    return true;
}

bool OpenSource(const std::string& outbox, const settings::OutgoingEntry& listed, const FileHeader& header,
                const std::string& programPath, Source& source, std::string& failure) {
    auto compression = static_cast<settings::ArchiverChoice>(header.compression);
    std::string name = win::JoinPath(outbox, listed.name);
    if (compression != settings::NoArchiver) {
        if (!Compress(compression, programPath, outbox, listed.name, source, failure)) {
            return false;
        }
        name = source.work / TemporaryArchiveName(compression);
    }
    // No one may change the source while it travels.
    source.file.reset(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    std::optional<ULONGLONG> size = source.file ? SizeOf(source.file.get()) : std::nullopt;
    if (!size) {
        failure =
            compression != settings::NoArchiver ? "the archiver made no archive" : "it cannot be opened";
        return false;
    }
    if (*size > kMaxTransferBytes) {
        failure = "it is too large for a file database";
        return false;
    }
    source.size = *size;
    // An uncompressed file that changed since the listing would not match its header.
    if (compression == settings::NoArchiver && source.size != FileSizeOf(header)) {
        failure = "it changed while the HotSync ran";
        return false;
    }
    return true;
}

// Folders, empty files and the reserved name are no files to send; the others are held back.
bool IsWorthAWarning(settings::OutgoingVerdict verdict) {
    return verdict == settings::OutgoingVerdict::TemporaryArchiveName ||
           verdict == settings::OutgoingVerdict::WorkingFolderName ||
           verdict == settings::OutgoingVerdict::TooLarge ||
           verdict == settings::OutgoingVerdict::NameNotAnsi;
}

void SendListed(SyncSession& session, const std::string& outbox, const settings::OutgoingEntry& listed,
                DWORD compression) {
    if (!listed.ToSend()) {
        if (IsWorthAWarning(listed.verdict)) {
            LogWarning(listed.name, std::string("not sent: ") + settings::DescribeVerdict(listed.verdict));
        }
        return;
    }
    if (session.WasReceived(win::JoinPath(outbox, listed.name))) {
        LogWarning(listed.name, "not sent: it was received from the handheld in this HotSync");
        return;
    }
    WIN32_FIND_DATAA entry = listed.AnsiFindData();
    FileHeader header = {};
    BuildFileHeader(entry, compression, header);
    std::string handheldName = HandheldNameOf(header);
    if (session.WasWritten(handheldName)) {
        LogWarning(listed.name, "kept for a later HotSync: another file went to the handheld as " +
                                    handheldName + " in this HotSync");
        return;
    }
    HandheldCopy existing = FindHandheldCopy(handheldName);
    if (existing.kind == HandheldCopy::Foreign) {
        LogWarning(listed.name,
                   "not sent: the handheld holds another application's database " + handheldName);
        return;
    }
    if (!ConfirmHandheldOverwrite(session, header, existing)) {
        LogWarning(listed.name, "kept on the PC: " + handheldName + " already exists on the handheld");
        return;
    }
    SendFile(session, outbox, listed, header, existing);
}

} // namespace

bool FitsFreeRam(ULONGLONG transferredBytes, ULONGLONG freeRam) {
    ULONGLONG needed =
        transferredBytes + kBytesPerRecord * (transferredBytes / kDataRecordSize) + kDatabaseOverhead;
    return freeRam >= needed;
}

HandheldCopy FindHandheldCopy(const std::string& name) {
    SyncFindDbByNameParams find = {eFindByNameOptGetAttributes | eFindByNameOptGetSize, 0, name.c_str()};
    SyncDatabaseInfoType found = {};
    if (SyncFindDbByName(&find, &found) != SYNCERR_NONE) {
        return {HandheldCopy::None};
    }
    if (found.m_DbType != kFileDatabaseType || found.m_Creator != layout::kCreatorIdNumber) {
        return {HandheldCopy::Foreign};
    }
    return {HoldsWholeFile(name) ? HandheldCopy::Whole : HandheldCopy::Leftover, found.m_dwTotalBytes};
}

bool ConfirmHandheldOverwrite(const SyncSession& session, const FileHeader& header, HandheldCopy existing) {
    if (existing.kind != HandheldCopy::Whole) {
        return existing.kind != HandheldCopy::Foreign;
    }
    std::string question =
        "File " + HandheldNameOf(header) + " already exists on your Palm Device! Overwrite?";
    return AllowsOverwrite(session.messageBox, session.settings.fromPCToPalm, question);
}

void SendFile(SyncSession& session, const std::string& outbox, const settings::OutgoingEntry& listed,
              const FileHeader& header, HandheldCopy existing) {
    std::string failure;
    Source source;
    if (!OpenSource(outbox, listed, header, session.settings.archiverPath, source, failure)) {
        LogWarning(listed.name, "not sent: " + failure);
        return;
    }
    std::string handheldName = HandheldNameOf(header);
    bool replaces = existing.kind == HandheldCopy::Whole || existing.kind == HandheldCopy::Leftover;
    // Measured before the old database goes, whose space counts as free: an old copy is never
    // deleted for a new one that cannot take its place.
    DWORD freeRam = 0;
    if (!ReadFreeRam(freeRam) ||
        !FitsFreeRam(source.size, static_cast<ULONGLONG>(freeRam) + (replaces ? existing.bytes : 0))) {
        LogWarning(
            listed.name,
            existing.kind == HandheldCopy::Whole
                ? "kept on the PC: not enough free memory on the handheld, even in place of the older " +
                      handheldName + ", which the handheld keeps"
                : "not sent: not enough free memory on the handheld");
        return;
    }
    if (replaces && SyncDeleteDB(handheldName.c_str(), 0) != SYNCERR_NONE) {
        LogWarning(listed.name, "not sent: " + handheldName + " cannot be replaced on the handheld");
        return;
    }
    if (!WriteFileDatabase(header, source.file.get(), source.size)) {
        LogWarning(listed.name, "not sent: the handheld's file database could not be written");
        return;
    }
    session.NoteWritten(handheldName);
    source.file.reset();
    source.work.Remove();
    if (!DeleteFileA(win::JoinPath(outbox, listed.name).c_str())) {
        LogWarning(listed.name, "sent, but it cannot be deleted from the outgoing folder");
    }
    ++session.sentCount;
}

void SendFiles(SyncSession& session) {
    std::optional<std::string> outbox = EnterPassFolder(
        session.settings.sendFolder, "the outgoing folder cannot be entered; nothing is sent");
    if (!outbox) {
        return;
    }
    DWORD compression = CompressionForSending(session.settings.archiver);
    for (const settings::OutgoingEntry& listed : settings::ListOutgoingFolder(*outbox)) {
        SendListed(session, *outbox, listed, compression);
    }
}

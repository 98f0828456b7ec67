#include "conduit/Archiver.h"
#include "conduit/HandheldDatabase.h"
#include "conduit/Passes.h"
#include "conduit/PcFiles.h"
#include "conduit/Questions.h"
#include "conduit/SyncDriver.h"
#include "conduit/SyncSession.h"
#include "formats/FileNames.h"
#include "formats/PalmDatabase.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/OutgoingFolder.h"
#include "win/Paths.h"
#include "settings/Settings.h"

#include <cstring>
#include <optional>
#include <vector>

using formats::IsSafeFileName;

namespace {

using formats::kMaxQueuedFiles;
using formats::kQueueNameSize;
constexpr DWORD kMaxRecordIndex = 0xFFFF;

// The queued names, or nothing when the queue could not be read: it is then kept for the next
// synchronisation. A count larger than the records that follow it ends at the last record.
std::optional<std::vector<std::string>> ReadQueuedNames(const HandheldDatabase& queue) {
    BYTE countBytes[4] = {};
    DWORD size = 0;
    if (queue.ReadRecord(0, countBytes, sizeof(countBytes), size) != RecordRead::Read ||
        size < sizeof(countBytes)) {
        return std::nullopt;
    }
    DWORD count = 0;
    std::memcpy(&count, countBytes, sizeof(count));
    count = SyncHHToHostDWord(count);
    std::vector<std::string> names;
    for (DWORD index = 1; index <= count && index <= kMaxQueuedFiles; ++index) {
        char name[kQueueNameSize] = {};
        RecordRead read = queue.ReadRecord(static_cast<WORD>(index), name, sizeof(name), size);
        if (read == RecordRead::NoRecord) {
            break;
        }
        if (read == RecordRead::Failed) {
            return std::nullopt;
        }
        names.push_back(formats::QueuedNameOf(name, size));
    }
    return names;
}

// Record 0, which must be a whole header.
bool ReadFileHeader(const HandheldDatabase& database, FileHeader& header) {
    DWORD size = 0;
    return database.ReadRecord(0, &header, sizeof(header), size) == RecordRead::Read &&
           size >= sizeof(header);
}

bool WriteAll(HANDLE file, const BYTE* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

// Copies the data records into `target`, a new file in the private folder. The file ends at a record
// shorter than 32 768 bytes or where no record follows; an uncompressed file must then have exactly
// the header's size.
bool CopyDataRecords(const HandheldDatabase& database, const FileHeader& header, const std::string& target) {
    // Made new, never truncated: Wine truncates on CREATE_ALWAYS even a new file, and ext4 writes a
    // truncated file out whole when it is closed, holding up the next deletion until it is on disk.
    win::File file(
        CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    bool compressed = header.compression != settings::NoArchiver;
    ULONGLONG expected = FileSizeOf(header);
    ULONGLONG total = 0;
    std::vector<BYTE> buffer(kDataRecordSize);
    DWORD size = kDataRecordSize;
    for (DWORD index = 1; index <= kMaxRecordIndex && size == kDataRecordSize; ++index) {
        RecordRead read = database.ReadRecord(static_cast<WORD>(index), buffer.data(), kDataRecordSize, size);
        if (read == RecordRead::NoRecord) {
            break;
        }
        if (read == RecordRead::Failed || size > kDataRecordSize) {
            return false;
        }
        total += size;
        if ((!compressed && total > expected) || !WriteAll(file.get(), buffer.data(), size)) {
            return false;
        }
    }
    return compressed || total == expected;
}

// The temporary archives' names and the private folder's are the conduit's own.
bool IsConduitWorkName(const std::string& name) {
    return settings::IsTemporaryArchiveName(name) || settings::IsWorkingFolderName(name);
}

// Text for the HotSync log: a name from the handheld may hold any byte.
std::string Printable(const std::string& name) {
    std::string text;
    for (unsigned char c : name) {
        text += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    return text.empty() ? std::string("(no name)") : text;
}

// Whether a whole file may take `pcName` in the incoming folder: a name that the file system
// resolves to another file (a short alias) or to a folder is passed over; an existing file meets
// the policy.
bool MayWrite(const SyncSession& session, const std::string& inbox, const std::string& pcName) {
    WIN32_FIND_DATAA found = {};
    win::FindHandle existing(FindFirstFileA(win::JoinPath(inbox, pcName).c_str(), &found));
    if (!existing) {
        return true;
    }
    if (!win::SameName(found.cFileName, pcName)) {
        LogWarning(pcName, std::string("not received: the name stands for the PC's file ") + found.cFileName);
        return false;
    }
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        LogWarning(pcName, "not received: a folder of that name is in the incoming folder");
        return false;
    }
    std::string question = "File " + pcName + " already exists on your PC! Overwrite?";
    if (!AllowsOverwrite(session.messageBox, session.settings.fromPalmToPC, question)) {
        LogWarning(pcName, "not received: the PC's file of that name is kept");
        return false;
    }
    return true;
}

// Gives a whole file of the private folder its name in the incoming folder, replacing the PC's
// file of that name in one step.
bool Deliver(SyncSession& session, OwnedFile& file, const std::string& inbox, const std::string& pcName) {
    std::string target = win::JoinPath(inbox, pcName);
    if (!file.MoveTo(target, true)) {
        LogWarning(pcName, "not received: it cannot be written into the incoming folder");
        return false;
    }
    file.Keep();
    session.NoteReceived(target);
    return true;
}

// Opens a queued file database and reads its header. Names from the handheld are untrusted: a
// queued name or header name that is no plain file name, and an unknown compression, pass the file
// over.
bool OpenQueuedFile(const std::string& databaseName, HandheldDatabase& database, FileHeader& header,
                    std::string& pcName) {
    if (databaseName.size() > formats::kMaxNameLength || !IsSafeFileName(databaseName)) {
        LogWarning(Printable(databaseName), "not received: the name is not a plain file name");
        return false;
    }
    if (!database.Open(databaseName)) {
        LogWarning(databaseName, "not received: it cannot be opened on the handheld");
        return false;
    }
    if (!ReadFileHeader(database, header)) {
        LogWarning(databaseName, "not received: it has no file header");
        return false;
    }
    pcName = HandheldNameOf(header);
    if (!IsSafeFileName(pcName) || IsConduitWorkName(pcName)) {
        LogWarning(Printable(pcName), "not received: the name is not a plain file name");
        return false;
    }
    if (header.compression > settings::WinRar) {
        LogWarning(pcName, "not received: its compression is unknown");
        return false;
    }
    return true;
}

void ReceivePlainFile(SyncSession& session, const std::string& inbox, HandheldDatabase& database,
                      const FileHeader& header, const std::string& pcName) {
    if (!MayWrite(session, inbox, pcName)) {
        return;
    }
    PrivateFolder work;
    if (!work.Create(inbox)) {
        LogWarning(pcName, "not received: the conduit's working folder cannot be made");
        return;
    }
    OwnedFile incoming(work / "incoming.tmp");
    if (!CopyDataRecords(database, header, incoming.name())) {
        LogWarning(pcName, "not received: its data on the handheld is incomplete or cannot be read");
        return;
    }
    database.Close();
    if (Deliver(session, incoming, inbox, pcName)) {
        ++session.receivedCount;
    }
}

// Expands in the private folder; each plain file the archiver produced then meets the policy in the
// incoming folder. Anything else is discarded with the private folder.
void ReceiveCompressedFile(SyncSession& session, const std::string& inbox, HandheldDatabase& database,
                           const FileHeader& header, const std::string& pcName) {
    auto archiver = static_cast<settings::ArchiverChoice>(header.compression);
    std::optional<std::string> programPath = ResolveArchiverPath(archiver);
    if (!programPath) {
        LogWarning(pcName, "not received: the archiver it was packed with is not installed");
        return;
    }
    PrivateFolder work;
    if (!work.Create(inbox)) {
        LogWarning(pcName, "not received: the conduit's working folder cannot be made");
        return;
    }
    std::string archive = work / TemporaryArchiveName(archiver);
    if (!CopyDataRecords(database, header, archive)) {
        LogWarning(pcName, "not received: its data on the handheld cannot be read");
        return;
    }
    database.Close();
    if (!ArchiverSucceeds(ExpandCommand(archiver, *programPath), work.path())) {
        LogWarning(pcName, "not received: the archive could not be expanded");
        return;
    }
    DeleteFileA(archive.c_str());
    bool delivered = false;
    for (const std::string& name : PlainFilesIn(work.path())) {
        OwnedFile produced(work / name);
        if (!IsSafeFileName(name) || IsConduitWorkName(name)) {
            LogWarning(pcName, "a file of its archive is not received: " + Printable(name));
            continue;
        }
        if (MayWrite(session, inbox, name) && Deliver(session, produced, inbox, name)) {
            delivered = true;
        }
    }
    if (delivered) {
        ++session.receivedCount;
    }
}

} // namespace

void ReceiveFile(SyncSession& session, const std::string& inbox, const std::string& databaseName) {
    HandheldDatabase database;
    FileHeader header = {};
    std::string pcName;
    if (!OpenQueuedFile(databaseName, database, header, pcName)) {
        return;
    }
    if (header.compression == settings::NoArchiver) {
        ReceivePlainFile(session, inbox, database, header, pcName);
    } else {
        ReceiveCompressedFile(session, inbox, database, header, pcName);
    }
}

void ReceiveFiles(SyncSession& session) {
    HandheldDatabase queue;
    if (!queue.Open(kQueueDatabaseName)) {
        return;
    }
    std::optional<std::string> inbox =
        EnterPassFolder(session.settings.receiveFolder,
                        "the incoming folder cannot be entered; the files queued for the PC wait");
    if (!inbox) {
        return;
    }
    std::optional<std::vector<std::string>> names = ReadQueuedNames(queue);
    bool closed = queue.Close();
    if (!names || !closed) {
        LogWarning(kQueueDatabaseName, "the list of files queued for the PC cannot be read; it is kept");
        return;
    }
    for (const std::string& name : *names) {
        ReceiveFile(session, *inbox, name);
    }
    // Deleted only now: a HotSync that ends early leaves the queue for the next one.
    SyncDeleteDB(kQueueDatabaseName, 0);
}

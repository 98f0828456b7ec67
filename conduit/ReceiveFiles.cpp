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

#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr WORD kQueueNameSize = 32;
constexpr DWORD kMaxQueuedFiles = 65535;
constexpr DWORD kMaxRecordIndex = 0xFFFF;
// Palm database names hold at most 31 characters.
constexpr size_t kMaxDatabaseName = 31;

// The queued names, or nothing when the queue could not be read: it is then kept for the next
// synchronisation. A count larger than the records that follow it ends at the last record.
std::optional<std::vector<std::string>> ReadQueuedNames(const HandheldDatabase& queue) {
    BYTE countBytes[4] = {};
    DWORD size = 0;
    RecordRead read = queue.ReadRecord(0, countBytes, sizeof(countBytes), size);
    if (read == RecordRead::Failed) {
        return std::nullopt;
    }
    DWORD count = 0;
    if (read == RecordRead::Read && size >= sizeof(countBytes)) {
        std::memcpy(&count, countBytes, sizeof(count));
        count = SyncHHToHostDWord(count);
    }
    std::vector<std::string> names;
    for (DWORD index = 1; index <= count && index <= kMaxQueuedFiles; ++index) {
        char name[kQueueNameSize] = {};
        read = queue.ReadRecord(static_cast<WORD>(index), name, sizeof(name), size);
        if (read == RecordRead::NoRecord) {
            break;
        }
        if (read == RecordRead::Failed) {
            return std::nullopt;
        }
        names.emplace_back(name, strnlen(name, size < sizeof(name) ? size : sizeof(name)));
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

// Copies the data records into `target`. The file ends at a record shorter than 32 768 bytes or
// where no record follows; an uncompressed file must then have exactly the header's size.
bool CopyDataRecords(const HandheldDatabase& database, const FileHeader& header, const OwnedFile& target) {
    win::File file(CreateFileA(target.name().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
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

bool AllowsPcOverwrite(const std::string& pcName) {
    DWORD policy = conduitSettings.fromPalmToPC;
    if (policy == settings::Ask) {
        std::string question = "File " + pcName + " already exists on your PC! Overwrite?";
        policy = UserAllowsOverwrite(question) ? settings::Overwrite : settings::DoNothing;
    }
    return policy != settings::DoNothing;
}

// Unpacks the received archive into the current directory; the archive is deleted when `incoming`
// ends.
bool Expand(settings::ArchiverChoice archiver, const std::string& programPath, OwnedFile& incoming,
            const std::string& pcName) {
    if (!incoming.MoveTo(TemporaryArchiveName(archiver), false)) {
        return false;
    }
    // The archiver writes the archive's own names; the existing file would stand in its way.
    DeleteFileA(pcName.c_str());
    return RunArchiver(ExpandCommand(archiver, programPath));
}

// Gives the whole incoming file the PC name, replacing the PC's file of that name in one step.
bool Replace(OwnedFile& incoming, const std::string& pcName) {
    if (!incoming.MoveTo(pcName, true)) {
        return false;
    }
    incoming.Keep();
    return true;
}

// Opens a queued file database and reads its header. Names from the handheld are untrusted: a
// queued name or header name that is no plain file name, and an unknown compression, pass the file
// over.
bool OpenQueuedFile(const std::string& databaseName, HandheldDatabase& database, FileHeader& header,
                    std::string& pcName) {
    if (databaseName.size() > kMaxDatabaseName || !IsSafeFileName(databaseName) ||
        !database.Open(databaseName) || !ReadFileHeader(database, header)) {
        return false;
    }
    pcName = FileNameOf(header);
    return IsSafeFileName(pcName) && !settings::IsTemporaryArchiveName(pcName) &&
           header.compression <= settings::WinRar;
}

// The archiver named by the header, looked up before anything on the PC is touched. A user's file
// that carries the temporary archive's name is never overwritten: the file is then passed over.
bool FindExpander(settings::ArchiverChoice archiver, std::string& programPath) {
    std::optional<std::string> path = ResolveArchiverPath(archiver);
    if (!path || PathExists(TemporaryArchiveName(archiver))) {
        return false;
    }
    programPath = *path;
    return true;
}

} // namespace

void ReceiveFile(const std::string& databaseName) {
    HandheldDatabase database;
    FileHeader header = {};
    std::string pcName;
    if (!OpenQueuedFile(databaseName, database, header, pcName)) {
        return;
    }
    auto archiver = static_cast<settings::ArchiverChoice>(header.compression);
    std::string programPath;
    if (archiver != settings::NoArchiver && !FindExpander(archiver, programPath)) {
        return;
    }
    if (PcFileExists(pcName) && !AllowsPcOverwrite(pcName)) {
        return;
    }
    OwnedFile incoming = CreateIncomingFile();
    if (!incoming || !CopyDataRecords(database, header, incoming)) {
        return;
    }
    database.Close();
    bool delivered = archiver == settings::NoArchiver ? Replace(incoming, pcName)
                                                      : Expand(archiver, programPath, incoming, pcName);
    if (delivered) {
        ++receivedCount;
    }
}

void ReceiveFiles() {
    HandheldDatabase queue;
    if (!queue.Open(kQueueDatabaseName)) {
        return;
    }
    WorkingFolder folder;
    if (!folder.Enter(conduitSettings.receiveFolder)) {
        return;
    }
    std::optional<std::vector<std::string>> names = ReadQueuedNames(queue);
    bool closed = queue.Close();
    if (!names || !closed) {
        return;
    }
    SyncDeleteDB(kQueueDatabaseName, 0);
    for (const std::string& name : *names) {
        ReceiveFile(name);
    }
}

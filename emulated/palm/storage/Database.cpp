#include "emulated/palm/storage/Database.h"

#include "emulated/palm/storage/FileIo.h"

#include <algorithm>

namespace palm {
namespace {

constexpr DWORD kMaxFileSize = 0x7FFFFFFF;
constexpr DWORD kUniqueIdMask = 0xFFFFFF;
constexpr DWORD kCopyChunk = 0x10000;
// A new database's records are held in memory up to this many bytes: a small database is then
// written in one piece, with no room to spare in front of its records.
constexpr DWORD kBufferLimit = 1024 * 1024;
// The new file is written in pieces of about this size: Wine writes small pieces markedly slower.
constexpr DWORD kFlushSize = 256 * 1024;

bool CopyRange(HANDLE from, DWORD offset, DWORD size, HANDLE to, std::vector<BYTE>& buffer) {
    while (size > 0) {
        DWORD chunk = std::min(size, static_cast<DWORD>(buffer.size()));
        if (!ReadAt(from, offset, buffer.data(), chunk) || !WriteAll(to, buffer.data(), chunk)) {
            return false;
        }
        offset += chunk;
        size -= chunk;
    }
    return true;
}

// A temporary file in the work folder, which is made when it is missing.
win::File CreateWorkFile(const std::string& path, DWORD access, DWORD flags) {
    win::File file(CreateFileA(path.c_str(), access, 0, nullptr, CREATE_ALWAYS, flags, nullptr));
    size_t separator = path.find_last_of('\\');
    if (!file && GetLastError() == ERROR_PATH_NOT_FOUND && separator != std::string::npos &&
        CreateDirectoryA(path.substr(0, separator).c_str(), nullptr)) {
        file.reset(CreateFileA(path.c_str(), access, 0, nullptr, CREATE_ALWAYS, flags, nullptr));
    }
    return file;
}

// The header of an empty database with the name, attributes, version, type and creator of `header`.
Status WriteEmptyDatabase(const std::string& path, const DatabaseHeader& header) {
    win::File file = CreateWorkFile(path, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
    if (!file) {
        return Status::IoError;
    }
    StorageStep();
    DatabaseHeader empty;
    empty.name = header.name;
    empty.attributes = header.attributes;
    empty.version = header.version;
    empty.type = header.type;
    empty.creator = header.creator;
    empty.creationDate = empty.modificationDate = PalmTimeNow();
    BYTE bytes[kHeaderSize + kPaddingSize] = {};
    EncodeHeader(empty, bytes);
    if (!WriteAll(file.get(), bytes, sizeof(bytes))) {
        return Status::IoError;
    }
    StorageStep();
    return Status::Ok;
}

} // namespace

Status Database::Open(const std::string& path, std::unique_ptr<Database>& out, const std::string& workStem) {
    std::unique_ptr<Database> database(new Database(path, workStem));
    database->file_ = OpenForReading(path);
    if (!database->file_) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Status::NotFound
                                                                              : Status::IoError;
    }
    Status status = database->Load();
    if (status == Status::Ok) {
        out = std::move(database);
    }
    return status;
}

Status Database::Create(const std::string& path, const std::string& workStem, const DatabaseHeader& header,
                        std::unique_ptr<Database>& out) {
    if (!IsValidDatabaseName(header.name)) {
        return Status::BadArgument;
    }
    // Made under a work name, the empty database takes its own in one rename: the name never holds a
    // half-made file, and a name taken meanwhile is never replaced.
    std::string made = (workStem.empty() ? path : workStem) + ".new";
    Status status = WriteEmptyDatabase(made, header);
    if (status == Status::Ok && !MoveFileExA(made.c_str(), path.c_str(), 0)) {
        DWORD error = GetLastError();
        status =
            error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Status::Exists : Status::IoError;
    }
    if (status != Status::Ok) {
        DeleteFileA(made.c_str());
        return status;
    }
    StorageStep();
    return Open(path, out, workStem);
}

Database::~Database() {
    ReleaseSideFile();
    DropNewFile();
}

void Database::DropNewFile() {
    if (newFile_) {
        newFile_.reset();
        DeleteFileA(NewFilePath().c_str());
    }
    newFileEnd_ = 0;
    std::vector<BYTE>().swap(tail_);
}

void Database::ReleaseSideFile() {
    if (side_) {
        ReturnScratchFile(std::move(side_));
    }
    sideSize_ = 0;
}

Status Database::Load() {
    BYTE raw[kHeaderSize];
    if (!SmallFileSize(file_.get(), fileSize_) || fileSize_ < kHeaderSize ||
        !ReadAt(file_.get(), 0, raw, kHeaderSize) || !DecodeHeader(raw, header_) ||
        header_.nextRecordListId != 0) {
        return Status::Unreadable;
    }
    DWORD entriesEnd = EntriesEnd(header_.recordCount);
    if (entriesEnd > fileSize_) {
        return Status::Unreadable;
    }
    std::vector<BYTE> entryBytes(entriesEnd - kHeaderSize);
    if (!entryBytes.empty() && !ReadAt(file_.get(), kHeaderSize, entryBytes.data(), entryBytes.size())) {
        return Status::Unreadable;
    }
    ParseEntries(entryBytes);
    Status status = CheckLayout();
    appendOnly_ =
        status == Status::Ok && entries_.empty() && header_.appInfoOffset == 0 && header_.sortInfoOffset == 0;
    return status;
}

void Database::ParseEntries(const std::vector<BYTE>& raw) {
    bool resource = header_.IsResourceDatabase();
    DWORD entrySize = header_.EntrySize();
    entries_.clear();
    indexById_.clear();
    for (size_t i = 0; i < header_.recordCount; ++i) {
        RecordEntry entry;
        static_cast<formats::RecordEntry&>(entry) =
            formats::DecodeEntry(raw.data() + i * entrySize, resource);
        entries_.push_back(entry);
        if (!resource) {
            indexById_.emplace(entries_.back().uniqueId, i);
        }
    }
}

// Every block ends where the next begins, the last one at the end of the file.
Status Database::CheckLayout() {
    formats::Layout layout;
    if (!formats::MeasureLayout(header_, entries_, fileSize_, layout)) {
        return Status::Unreadable;
    }
    appInfoSize_ = layout.appInfoSize;
    sortInfoSize_ = layout.sortInfoSize;
    dataBytes_ = layout.dataBytes;
    return Status::Ok;
}

DWORD Database::EntriesEnd(size_t count) const {
    return header_.EntriesEnd(count);
}

DWORD Database::DataBytes() const {
    return static_cast<DWORD>(dataBytes_);
}

DWORD Database::MaxRecordSize() const {
    DWORD largest = 0;
    for (const RecordEntry& entry : entries_) {
        largest = std::max<DWORD>(largest, entry.size);
    }
    return largest;
}

Status Database::ReadRecord(size_t index, BYTE* buffer, DWORD capacity, DWORD& copied) const {
    copied = 0;
    if (index >= entries_.size()) {
        return Status::NotFound;
    }
    const RecordEntry& entry = entries_[index];
    DWORD count = std::min<DWORD>(entry.size, capacity);
    if (count == 0) {
        return Status::Ok;
    }
    if (buffer == nullptr) {
        return Status::BadArgument;
    }
    DWORD tailStart = newFileEnd_ - static_cast<DWORD>(tail_.size());
    const BYTE* inMemory = entry.where == RecordEntry::Where::Buffer ? buffer_.data() + entry.offset
                           : entry.where == RecordEntry::Where::NewFile && entry.offset >= tailStart
                               ? tail_.data() + (entry.offset - tailStart)
                               : nullptr;
    if (inMemory != nullptr) {
        std::copy(inMemory, inMemory + count, buffer);
        copied = count;
        return Status::Ok;
    }
    HANDLE source = SourceOf(entry);
    if (source == INVALID_HANDLE_VALUE || !ReadAt(source, entry.offset, buffer, count)) {
        return Status::IoError;
    }
    copied = count;
    return Status::Ok;
}

int Database::FindRecord(DWORD uniqueId) const {
    auto found = indexById_.find(uniqueId);
    return found == indexById_.end() ? -1 : static_cast<int>(found->second);
}

int Database::FindResource(DWORD type, WORD id) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].resourceType == type && entries_[i].resourceId == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Status Database::CheckNewRecord(const BYTE* data, DWORD size, bool adds) const {
    if (size > kMaxRecordSize || (data == nullptr && size > 0)) {
        return Status::BadArgument;
    }
    if (adds && entries_.size() >= kMaxRecordCount) {
        return Status::Full;
    }
    ULONGLONG projected =
        EntriesEnd(entries_.size() + 1) + kPaddingSize + appInfoSize_ + sortInfoSize_ + dataBytes_ + size;
    bool fits = projected <= kMaxFileSize && static_cast<ULONGLONG>(sideSize_) + size <= kMaxFileSize &&
                static_cast<ULONGLONG>(newFileEnd_) + size <= kMaxFileSize;
    return fits ? Status::Ok : Status::Full;
}

HANDLE Database::SourceOf(const RecordEntry& entry) const {
    switch (entry.where) {
    case RecordEntry::Where::Committed:
        return file_.get();
    case RecordEntry::Where::SideFile:
        return side_.get();
    case RecordEntry::Where::NewFile:
        return newFile_.get();
    default:
        return INVALID_HANDLE_VALUE;
    }
}

// Puts an added record's bytes where they stay until the commit: the new database's buffer or
// file while every change has been an addition to an empty database, the side file otherwise.
Status Database::StoreNewRecord(const BYTE* data, DWORD size, RecordEntry& entry) {
    if (!appendOnly_) {
        entry.where = RecordEntry::Where::SideFile;
        DWORD offset = 0;
        Status status = AppendToSideFile(data, size, offset);
        entry.offset = offset;
        return status;
    }
    if (!newFile_ && buffer_.size() + size <= kBufferLimit) {
        entry.where = RecordEntry::Where::Buffer;
        entry.offset = static_cast<DWORD>(buffer_.size());
        buffer_.insert(buffer_.end(), data, data + size);
        return Status::Ok;
    }
    Status status = newFile_ ? Status::Ok : StartNewFile();
    if (status != Status::Ok) {
        return status;
    }
    if (tail_.size() + size > kFlushSize && !FlushTail()) {
        return Status::IoError;
    }
    entry.where = RecordEntry::Where::NewFile;
    entry.offset = newFileEnd_;
    tail_.insert(tail_.end(), data, data + size);
    newFileEnd_ += size;
    return Status::Ok;
}

bool Database::FlushTail() {
    if (tail_.empty()) {
        return true;
    }
    DWORD size = static_cast<DWORD>(tail_.size());
    if (!WriteAt(newFile_.get(), newFileEnd_ - size, tail_.data(), size)) {
        return false;
    }
    tail_.clear();
    return true;
}

// The records start behind room for the largest record list there can be; what the list does not
// use stays a gap of zeros in front of the first record.
Status Database::StartNewFile() {
    win::File file = CreateWorkFile(NewFilePath(), GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
    if (!file) {
        return Status::IoError;
    }
    // The room is written out rather than left a hole: Wine writes a file with a hole slower.
    DWORD dataStart = EntriesEnd(kMaxRecordCount) + kPaddingSize;
    std::vector<BYTE> room(dataStart, 0);
    if (!WriteAll(file.get(), room.data(), dataStart) ||
        (!buffer_.empty() && !WriteAll(file.get(), buffer_.data(), static_cast<DWORD>(buffer_.size())))) {
        file.reset();
        DeleteFileA(NewFilePath().c_str());
        return Status::IoError;
    }
    for (RecordEntry& entry : entries_) {
        entry.where = RecordEntry::Where::NewFile;
        entry.offset += dataStart;
    }
    newFile_ = std::move(file);
    newFileEnd_ = dataStart + static_cast<DWORD>(buffer_.size());
    std::vector<BYTE>().swap(buffer_);
    return Status::Ok;
}

Status Database::AppendToSideFile(const BYTE* data, DWORD size, DWORD& offset) {
    if (!side_) {
        side_ = TakeScratchFile();
        sideSize_ = 0;
        if (!side_) {
            return Status::IoError;
        }
    }
    if (size > 0 && !WriteAt(side_.get(), sideSize_, data, size)) {
        return Status::IoError;
    }
    offset = sideSize_;
    sideSize_ += size;
    return Status::Ok;
}

DWORD Database::NewUniqueId() {
    DWORD id = header_.uniqueIdSeed & kUniqueIdMask;
    do {
        id = (id + 1) & kUniqueIdMask;
    } while (id == 0 || indexById_.count(id) != 0);
    return id;
}

Status Database::AddRecord(BYTE attributes, DWORD& uniqueId, const BYTE* data, DWORD size) {
    if (header_.IsResourceDatabase() || uniqueId > kUniqueIdMask) {
        return Status::BadArgument;
    }
    if (uniqueId != 0 && FindRecord(uniqueId) >= 0) {
        return Status::Exists;
    }
    Status status = CheckNewRecord(data, size, true);
    RecordEntry entry;
    if (status != Status::Ok || (status = StoreNewRecord(data, size, entry)) != Status::Ok) {
        return status;
    }
    if (uniqueId == 0) {
        uniqueId = NewUniqueId();
        header_.uniqueIdSeed = uniqueId;
    }
    entry.attributes = attributes;
    entry.uniqueId = uniqueId;
    entry.size = size;
    indexById_.emplace(uniqueId, entries_.size());
    entries_.push_back(entry);
    dataBytes_ += size;
    changed_ = true;
    return Status::Ok;
}

Status Database::ReplaceRecord(size_t index, BYTE attributes, const BYTE* data, DWORD size) {
    if (index >= entries_.size()) {
        return Status::NotFound;
    }
    Status status = CheckNewRecord(data, size, false);
    DWORD offset = 0;
    // A replaced record ends the writing in place; the records written so far stay where they are.
    appendOnly_ = false;
    if (status != Status::Ok || (status = AppendToSideFile(data, size, offset)) != Status::Ok) {
        return status;
    }
    RecordEntry& entry = entries_[index];
    dataBytes_ = dataBytes_ - entry.size + size;
    entry.attributes = attributes;
    entry.offset = offset;
    entry.size = size;
    entry.where = RecordEntry::Where::SideFile;
    changed_ = true;
    return Status::Ok;
}

Status Database::PutResource(DWORD type, WORD id, const BYTE* data, DWORD size) {
    if (!header_.IsResourceDatabase()) {
        return Status::BadArgument;
    }
    int index = FindResource(type, id);
    if (index >= 0) {
        return ReplaceRecord(static_cast<size_t>(index), 0, data, size);
    }
    Status status = CheckNewRecord(data, size, true);
    RecordEntry entry;
    if (status != Status::Ok || (status = StoreNewRecord(data, size, entry)) != Status::Ok) {
        return status;
    }
    entry.resourceType = type;
    entry.resourceId = id;
    entry.size = size;
    entries_.push_back(entry);
    dataBytes_ += size;
    changed_ = true;
    return Status::Ok;
}

DatabaseHeader Database::CommittedHeader(DWORD appInfoOffset, DWORD sortInfoOffset) const {
    DatabaseHeader header = header_;
    header.recordCount = static_cast<WORD>(entries_.size());
    header.appInfoOffset = appInfoOffset;
    header.sortInfoOffset = sortInfoOffset;
    header.modificationDate = PalmTimeNow();
    header.modificationNumber += 1;
    return header;
}

// Header, record list and the two bytes of padding.
std::vector<BYTE> Database::EncodePrefix(const DatabaseHeader& header,
                                         const std::vector<RecordEntry>& entries) const {
    std::vector<BYTE> prefix(EntriesEnd(entries.size()) + kPaddingSize, 0);
    EncodeHeader(header, prefix.data());
    for (size_t i = 0; i < entries.size(); ++i) {
        formats::EncodeEntry(entries[i], header.IsResourceDatabase(),
                             prefix.data() + kHeaderSize + i * header.EntrySize());
    }
    return prefix;
}

// Copies `size` bytes starting where `first` starts, from wherever they are.
bool Database::CopyRecords(const RecordEntry& first, DWORD size, HANDLE to, std::vector<BYTE>& chunk) const {
    if (first.where == RecordEntry::Where::Buffer) {
        return size == 0 || WriteAll(to, buffer_.data() + first.offset, size);
    }
    return CopyRange(SourceOf(first), first.offset, size, to, chunk);
}

// Header, entries, padding, appInfo, sortInfo, records: each block copied in turn from the old file,
// the side file, or the new records' buffer or file, one chunk at a time.
Status Database::WriteCommitted(const std::string& tempPath, std::vector<RecordEntry>& written,
                                DatabaseHeader& header) {
    win::File out = CreateWorkFile(tempPath, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
    if (!out) {
        return Status::IoError;
    }
    StorageStep();
    DWORD position = EntriesEnd(entries_.size()) + kPaddingSize;
    header =
        CommittedHeader(appInfoSize_ > 0 ? position : 0, sortInfoSize_ > 0 ? position + appInfoSize_ : 0);
    position += appInfoSize_ + sortInfoSize_;
    written = entries_;
    for (RecordEntry& entry : written) {
        entry.offset = position;
        entry.where = RecordEntry::Where::Committed;
        position += entry.size;
    }
    std::vector<BYTE> prefix = EncodePrefix(header, written);
    std::vector<BYTE> buffer(kCopyChunk);
    bool ok = WriteAll(out.get(), prefix.data(), static_cast<DWORD>(prefix.size())) &&
              CopyRange(file_.get(), header_.appInfoOffset, appInfoSize_, out.get(), buffer) &&
              CopyRange(file_.get(), header_.sortInfoOffset, sortInfoSize_, out.get(), buffer);
    // Records that lie one after the other in the same place are copied as one run.
    for (size_t i = 0; ok && i < entries_.size();) {
        const RecordEntry& first = entries_[i];
        DWORD runEnd = first.offset + first.size;
        size_t next = i + 1;
        for (;
             next < entries_.size() && entries_[next].where == first.where && entries_[next].offset == runEnd;
             ++next) {
            runEnd += entries_[next].size;
        }
        ok = CopyRecords(first, runEnd - first.offset, out.get(), buffer);
        i = next;
    }
    if (!ok) {
        return Status::IoError;
    }
    StorageStep();
    return Status::Ok;
}

// The new database's records are in place: what is left is the header and the list in front of
// them (and, for a database held in memory, the records behind), then the file takes its name.
Status Database::CommitNewFile() {
    DatabaseHeader header = CommittedHeader(0, 0);
    std::vector<RecordEntry> written = entries_;
    bool fromBuffer = !newFile_;
    if (fromBuffer) {
        newFile_ = CreateWorkFile(NewFilePath(), GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
        if (!newFile_) {
            return Status::IoError;
        }
        StorageStep();
        for (RecordEntry& entry : written) {
            entry.offset += EntriesEnd(written.size()) + kPaddingSize;
        }
    }
    bool ok = FinishNewFile(EncodePrefix(header, written), fromBuffer);
    newFile_.reset();
    if (ok) {
        file_.reset();
        ok = MoveFileExA(NewFilePath().c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    if (!ok) {
        // The changes stay pending: in the buffer, or in the new file opened again.
        if (!fromBuffer) {
            newFile_.reset(CreateFileA(NewFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        if (!newFile_) {
            DeleteFileA(NewFilePath().c_str());
        }
        if (!file_) {
            file_ = OpenForReading(path_);
        }
        return Status::IoError;
    }
    StorageStep();
    for (RecordEntry& entry : written) {
        entry.where = RecordEntry::Where::Committed;
    }
    return Reopen(header, std::move(written));
}

// The new file's last writes: the records not yet written, then the header and record list in front
// of them, and the records behind for a database that was held in memory.
bool Database::FinishNewFile(const std::vector<BYTE>& prefix, bool fromBuffer) {
    if (!FlushTail()) {
        return false;
    }
    StorageStep();
    if (!WriteAt(newFile_.get(), 0, prefix.data(), static_cast<DWORD>(prefix.size()))) {
        return false;
    }
    StorageStep();
    if (fromBuffer && !buffer_.empty()) {
        if (!WriteAll(newFile_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()))) {
            return false;
        }
        StorageStep();
    }
    return true;
}

Status Database::Reopen(const DatabaseHeader& header, std::vector<RecordEntry> written) {
    ReleaseSideFile();
    DropNewFile();
    std::vector<BYTE>().swap(buffer_);
    header_ = header;
    entries_ = std::move(written);
    changed_ = false;
    appendOnly_ = entries_.empty() && header_.appInfoOffset == 0 && header_.sortInfoOffset == 0;
    file_ = OpenForReading(path_);
    if (!file_ || !SmallFileSize(file_.get(), fileSize_)) {
        return Status::IoError;
    }
    return Status::Ok;
}

Status Database::Commit() {
    if (!changed_) {
        return Status::Ok;
    }
    if (appendOnly_) {
        return CommitNewFile();
    }
    if (!file_ || (newFile_ && !FlushTail())) {
        return Status::IoError;
    }
    std::string tempPath = TempPath();
    std::vector<RecordEntry> written;
    DatabaseHeader header;
    Status status = WriteCommitted(tempPath, written, header);
    if (status != Status::Ok) {
        DeleteFileA(tempPath.c_str());
        return status;
    }
    file_.reset();
    if (!MoveFileExA(tempPath.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(tempPath.c_str());
        file_ = OpenForReading(path_);
        return Status::IoError;
    }
    StorageStep();
    return Reopen(header, std::move(written));
}

} // namespace palm

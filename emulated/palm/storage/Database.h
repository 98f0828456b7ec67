// One Palm database file, read on demand and changed without rewriting it per record. The records
// of a database that had none are written once, where they stay: held in memory while they are
// few, then straight into the new file at their final offsets behind room for the largest record
// list; Commit writes the header and the list in front and puts the file in place. Other changes
// go to a side file, and Commit streams the old and new records into a temporary file that then
// replaces the old one. Either way the database's file only ever holds a whole database.
#pragma once

#include "emulated/palm/storage/PdbFormat.h"
#include "win/Handles.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace palm {

// `offset` is in the file or buffer that `where` names.
struct RecordEntry : formats::RecordEntry {
    // Where the record's bytes are until the next commit.
    enum class Where : BYTE { Committed, SideFile, Buffer, NewFile } where = Where::Committed;
};

class Database {
public:
    // NotFound when there is no such file, Unreadable when it is not a well-formed database.
    // The new file of a database that had no records is workStem + ".new", the temporary file of
    // other commits workStem + ".tmp" (default: the path itself).
    static Status Open(const std::string& path, std::unique_ptr<Database>& out,
                       const std::string& workStem = {});
    // Writes a new empty database (name, attributes, version, type and creator from `header`) as
    // workStem + ".new" and gives it its name; Exists when the name is taken.
    static Status Create(const std::string& path, const std::string& workStem, const DatabaseHeader& header,
                         std::unique_ptr<Database>& out);

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    // Uncommitted changes are dropped.
    ~Database();

    const DatabaseHeader& Header() const { return header_; }
    size_t RecordCount() const { return entries_.size(); }
    const RecordEntry& Entry(size_t index) const { return entries_[index]; }
    DWORD AppInfoSize() const { return appInfoSize_; }
    DWORD SortInfoSize() const { return sortInfoSize_; }
    // Size of the database file as committed.
    DWORD FileSize() const { return fileSize_; }
    DWORD DataBytes() const;
    DWORD MaxRecordSize() const;

    // Copies min(record size, capacity) bytes of record `index`.
    Status ReadRecord(size_t index, BYTE* buffer, DWORD capacity, DWORD& copied) const;
    // Index of the record with that unique ID, or of that resource; -1 when there is none.
    int FindRecord(DWORD uniqueId) const;
    int FindResource(DWORD type, WORD id) const;

    // Appends a record; uniqueId 0 asks for a new ID, which is returned in it.
    Status AddRecord(BYTE attributes, DWORD& uniqueId, const BYTE* data, DWORD size);
    Status ReplaceRecord(size_t index, BYTE attributes, const BYTE* data, DWORD size);
    // Replaces the resource (type, id) or appends it.
    Status PutResource(DWORD type, WORD id, const BYTE* data, DWORD size);

    bool HasChanges() const { return changed_; }
    // Makes the changes permanent. On failure the file stays as it was and the changes stay pending;
    // destroying the object drops them.
    Status Commit();

private:
    Database(std::string path, std::string workStem)
        : path_(std::move(path)), workStem_(workStem.empty() ? path_ : std::move(workStem)) {}
    Status Load();
    void ParseEntries(const std::vector<BYTE>& raw);
    Status CheckLayout();
    Status CheckNewRecord(const BYTE* data, DWORD size, bool adds) const;
    Status AppendToSideFile(const BYTE* data, DWORD size, DWORD& offset);
    void ReleaseSideFile();
    Status StoreNewRecord(const BYTE* data, DWORD size, RecordEntry& entry);
    Status StartNewFile();
    bool FlushTail();
    void DropNewFile();
    HANDLE SourceOf(const RecordEntry& entry) const;
    DatabaseHeader CommittedHeader(DWORD appInfoOffset, DWORD sortInfoOffset) const;
    std::vector<BYTE> EncodePrefix(const DatabaseHeader& header,
                                   const std::vector<RecordEntry>& entries) const;
    Status CommitNewFile();
    bool FinishNewFile(const std::vector<BYTE>& prefix, bool fromBuffer);
    Status Reopen(const DatabaseHeader& header, std::vector<RecordEntry> written);
    bool CopyRecords(const RecordEntry& first, DWORD size, HANDLE to, std::vector<BYTE>& chunk) const;
    DWORD NewUniqueId();
    DWORD EntriesEnd(size_t count) const;
    Status WriteCommitted(const std::string& tempPath, std::vector<RecordEntry>& written,
                          DatabaseHeader& header);
    std::string TempPath() const { return workStem_ + ".tmp"; }
    std::string NewFilePath() const { return workStem_ + ".new"; }

    std::string path_;
    std::string workStem_;
    win::File file_;
    win::File side_;
    DWORD sideSize_ = 0;
    // Every change so far adds records to a database without records or blocks.
    bool appendOnly_ = false;
    std::vector<BYTE> buffer_;
    win::File newFile_;
    DWORD newFileEnd_ = 0; // the new file's end, the tail included
    // The new file's last records, not yet written: the file is written in large pieces.
    std::vector<BYTE> tail_;
    DWORD fileSize_ = 0;
    DatabaseHeader header_;
    DWORD appInfoSize_ = 0;
    DWORD sortInfoSize_ = 0;
    std::vector<RecordEntry> entries_;
    std::unordered_map<DWORD, size_t> indexById_;
    ULONGLONG dataBytes_ = 0;
    bool changed_ = false;
};

} // namespace palm

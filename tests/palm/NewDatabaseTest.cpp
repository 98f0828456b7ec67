// A new database's records are written once, in place: small ones kept in memory until the close,
// large ones straight into the new file. Either way the file under the database's name is only
// ever a whole database, and every offset of the finished file is right.
#include "emulated/palm/storage/Database.h"
#include "emulated/palm/storage/HandheldFolder.h"
#include "tests/palm/PalmTestSupport.h"

#include <doctest/doctest.h>

#include <algorithm>

using namespace palmtest;

namespace {

// Records of 32 KiB: 40 of them pass what a new database keeps in memory.
constexpr size_t kLargeRecord = 32768;
constexpr int kStreamedCount = 40;

std::vector<std::vector<BYTE>> Records(int count, size_t size, unsigned seed) {
    std::vector<std::vector<BYTE>> records;
    for (int i = 0; i < count; ++i) {
        records.push_back(Pattern(size + i, seed + i));
    }
    return records;
}

// Reads a record database file as any .pdb reader would: each record runs from its offset to the
// next one's (the last to the end of the file), the first lies behind the list and its padding.
std::vector<std::vector<BYTE>> ParseRecords(const std::vector<BYTE>& file) {
    REQUIRE(file.size() >= 78);
    size_t count = BE16(file, 76);
    size_t listEnd = 78 + count * 8;
    REQUIRE(file.size() >= listEnd + 2);
    CHECK(file[listEnd] == 0);
    CHECK(file[listEnd + 1] == 0);
    std::vector<std::vector<BYTE>> records;
    for (size_t i = 0; i < count; ++i) {
        size_t start = BE32(file, 78 + i * 8);
        size_t end = i + 1 < count ? BE32(file, 78 + (i + 1) * 8) : file.size();
        REQUIRE(start >= listEnd + 2);
        REQUIRE(start <= end);
        REQUIRE(end <= file.size());
        records.emplace_back(file.begin() + start, file.begin() + end);
    }
    return records;
}

void WriteAll(BYTE handle, const std::vector<std::vector<BYTE>>& records) {
    for (const std::vector<BYTE>& record : records) {
        REQUIRE(WriteNewRecord(handle, record) == 0);
    }
}

} // namespace

TEST_CASE("a new database reads back whole, small or large, before and after the close") {
    for (int count : {3, kStreamedCount}) {
        CAPTURE(count);
        AttachedHandheld handheld;
        std::vector<std::vector<BYTE>> records = Records(count, kLargeRecord, 5);
        BYTE handle = 0;
        REQUIRE(CreateDatabase("Large", handle) == 0);
        WriteAll(handle, records);

        // Records not yet committed read back from wherever they wait.
        for (WORD index : {WORD(0), WORD(count / 2), WORD(count - 1)}) {
            std::vector<BYTE> bytes;
            REQUIRE(ReadRecord(handle, index, 0xFFFF, bytes) == 0);
            CHECK(bytes == records[index]);
        }
        // Until the close the file under the name is the empty database that the create made.
        std::string path = handheld.folder / "^large.pdb";
        CHECK(BE16(ReadWholeFile(path), 76) == 0);

        REQUIRE(SyncCloseDB(handle) == 0);
        std::vector<BYTE> file = ReadWholeFile(path);
        CHECK(BE16(file, 76) == count);
        CHECK(BE32(file, 48) == 1); // modification number
        CHECK(ParseRecords(file) == records);
        CHECK(FileNames(handheld.folder / palm::kWorkFolder).empty());

        SyncDatabaseInfoType info = {};
        SyncFindDbByNameParams find = {};
        find.pcDatabaseName = const_cast<char*>("Large");
        REQUIRE(SyncFindDbByName(&find, &info) == 0);
        CHECK(info.m_dwNumRecords == static_cast<DWORD>(count));
        CHECK(info.m_dwTotalBytes == file.size());
    }
}

TEST_CASE("a new database whose close fails leaves the empty database and nothing else") {
    for (int count : {3, kStreamedCount}) {
        CAPTURE(count);
        AttachedHandheld handheld;
        std::string path = handheld.folder / "^lost.pdb";
        BYTE handle = 0;
        REQUIRE(CreateDatabase("Lost", handle) == 0);
        std::vector<BYTE> empty = ReadWholeFile(path);
        WriteAll(handle, Records(count, kLargeRecord, 9));

        SUBCASE("an injected failure") {
            EmuFailCall(emuClose, 1);
            CHECK(SyncCloseDB(handle) != 0);
        }
        SUBCASE("another program holding the file") {
            CHECK(CloseWhileHeld(handle, path) != 0);
        }
        CHECK(EmuOpenDatabaseCount() == 0);
        CHECK(ReadWholeFile(path) == empty);
        CHECK(FileNames(handheld.folder / palm::kWorkFolder).empty());
        CHECK(CountRecords("Lost") == 0);
    }
}

TEST_CASE("a record replaced while a new database is written lands in a compact file") {
    for (int count : {5, kStreamedCount}) {
        CAPTURE(count);
        AttachedHandheld handheld;
        std::vector<std::vector<BYTE>> records = Records(count, kLargeRecord, 13);
        BYTE handle = 0;
        REQUIRE(CreateDatabase("Mixed", handle) == 0);
        std::vector<DWORD> ids(records.size());
        for (size_t i = 0; i < records.size(); ++i) {
            REQUIRE(WriteNewRecord(handle, records[i], &ids[i]) == 0);
        }
        // Replace a record with a shorter one, then keep adding.
        records[3] = Pattern(100, 77);
        CRawRecordInfo replace = {};
        replace.m_FileHandle = handle;
        replace.m_RecId = ids[3];
        replace.m_Attribs = 0x40;
        replace.m_RecSize = static_cast<DWORD>(records[3].size());
        replace.m_TotalBytes = static_cast<DWORD>(records[3].size());
        replace.m_pBytes = records[3].data();
        REQUIRE(SyncWriteRec(&replace) == 0);
        records.push_back(Pattern(500, 78));
        REQUIRE(WriteNewRecord(handle, records.back()) == 0);
        REQUIRE(SyncCloseDB(handle) == 0);

        std::vector<BYTE> file = ReadWholeFile(handheld.folder / "^mixed.pdb");
        CHECK(ParseRecords(file) == records);
        size_t total = 0;
        for (const std::vector<BYTE>& record : records) {
            total += record.size();
        }
        CHECK(file.size() == 78 + records.size() * 8 + 2 + total);
        CHECK(FileNames(handheld.folder / palm::kWorkFolder).empty());
    }
}

TEST_CASE("a new database holds the largest record list there can be") {
    ScratchFolder folder{"palm"};
    palm::HandheldFolder handheld(folder.path());
    palm::DatabaseHeader header;
    header.name = "Many";
    header.type = kTypeData;
    std::unique_ptr<palm::Database> database;
    REQUIRE(handheld.Create(header, database) == palm::Status::Ok);
    // 20-byte records: the list outgrows what the first megabyte of records left room for.
    for (DWORD i = 0; i < palm::kMaxRecordCount; ++i) {
        std::vector<BYTE> record = Pattern(20, i);
        DWORD id = 0;
        REQUIRE(database->AddRecord(0, id, record.data(), 20) == palm::Status::Ok);
    }
    DWORD id = 0;
    BYTE extra[20] = {};
    CHECK(database->AddRecord(0, id, extra, 20) == palm::Status::Full);
    REQUIRE(database->Commit() == palm::Status::Ok);
    database.reset();

    std::vector<BYTE> file = ReadWholeFile(handheld.PathOf("Many"));
    std::vector<std::vector<BYTE>> records = ParseRecords(file);
    REQUIRE(records.size() == palm::kMaxRecordCount);
    for (DWORD i : {0ul, 1ul, 40000ul, DWORD{palm::kMaxRecordCount - 1}}) {
        CAPTURE(i);
        CHECK(records[i] == Pattern(20, i));
    }
    REQUIRE(handheld.Open("Many", database) == palm::Status::Ok);
    CHECK(database->RecordCount() == palm::kMaxRecordCount);
    CHECK(database->DataBytes() == 20 * palm::kMaxRecordCount);
}

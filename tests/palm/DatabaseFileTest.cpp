// A database written through SYNC20.dll, read back, and its file checked byte by byte.
#include "tests/palm/PalmTestSupport.h"

#include <doctest/doctest.h>

#include <cstring>

using namespace palmtest;

namespace {

const std::vector<BYTE> kHeaderRecord = Pattern(64, 1);
const std::vector<BYTE> kFullRecord = Pattern(32768, 2);
const std::vector<BYTE> kShortRecord = Pattern(5, 3);

} // namespace

TEST_CASE("a database written through SYNC20 reads back record by record") {
    AttachedHandheld handheld;
    BYTE handle = 0;
    REQUIRE(CreateDatabase("Test DB", handle) == 0);
    CHECK(EmuOpenDatabaseCount() == 1);
    DWORD ids[3] = {};
    REQUIRE(WriteNewRecord(handle, kHeaderRecord, &ids[0]) == 0);
    REQUIRE(WriteNewRecord(handle, kFullRecord, &ids[1]) == 0);
    REQUIRE(WriteNewRecord(handle, kShortRecord, &ids[2], 0x40, 3) == 0);
    REQUIRE(SyncCloseDB(handle) == 0);
    CHECK(EmuOpenDatabaseCount() == 0);
    CHECK(ids[0] != 0);
    CHECK(ids[1] != ids[0]);
    CHECK(ids[2] != ids[1]);
    CHECK(ids[2] <= 0xFFFFFF);

    REQUIRE(SyncOpenDB("Test DB", 0, &handle, eDbRead | eDbShowSecret) == 0);
    std::vector<BYTE> bytes;
    CRawRecordInfo info = {};
    CHECK(ReadRecord(handle, 0, 64, bytes, &info) == 0);
    CHECK(bytes == kHeaderRecord);
    CHECK(info.m_RecId == ids[0]);
    CHECK(info.m_Attribs == 0x40);
    CHECK(info.m_CatId == 0);
    CHECK(ReadRecord(handle, 1, 32768, bytes, &info) == 0);
    CHECK(bytes == kFullRecord);
    CHECK(info.m_RecSize == 32768);
    CHECK(ReadRecord(handle, 2, 32768, bytes, &info) == 0);
    CHECK(bytes == kShortRecord);
    CHECK(info.m_RecId == ids[2]);
    CHECK(info.m_CatId == 3);

    SUBCASE("a smaller buffer gets the record's first bytes") {
        CHECK(ReadRecord(handle, 1, 100, bytes, &info) == 0);
        CHECK(info.m_RecSize == 100);
        CHECK(std::equal(bytes.begin(), bytes.end(), kFullRecord.begin()));
    }
    SUBCASE("a read past the last record fails and copies nothing") {
        CHECK(ReadRecord(handle, 3, 64, bytes, &info) == SYNCERR_NOT_FOUND);
        CHECK(bytes.empty());
    }
    CHECK(SyncCloseDB(handle) == 0);
}

TEST_CASE("the database file follows the .pdb layout") {
    AttachedHandheld handheld;
    SYSTEMTIME before;
    GetLocalTime(&before);
    BYTE handle = 0;
    REQUIRE(CreateDatabase("Test DB", handle, kTypeData, kCreatorKestrin, 10, 0x0008) == 0);
    DWORD ids[3] = {};
    REQUIRE(WriteNewRecord(handle, kHeaderRecord, &ids[0]) == 0);
    REQUIRE(WriteNewRecord(handle, kFullRecord, &ids[1]) == 0);
    REQUIRE(WriteNewRecord(handle, kShortRecord, &ids[2], 0x40, 3) == 0);
    REQUIRE(SyncCloseDB(handle) == 0);
    SYSTEMTIME after;
    GetLocalTime(&after);

    REQUIRE(FileNames(handheld.folder.path()) == std::vector<std::string>{"^test ^d^b.pdb"});
    std::vector<BYTE> file = ReadWholeFile(handheld.folder / "^test ^d^b.pdb");
    REQUIRE(file.size() == 78 + 3 * 8 + 2 + 64 + 32768 + 5);
    CHECK(std::memcmp(file.data(), "Test DB\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 32) == 0);
    CHECK(BE16(file, 32) == 0x0008);
    CHECK(BE16(file, 34) == 10);
    for (size_t dateOffset : {36u, 40u}) {
        CAPTURE(dateOffset);
        CHECK(BE32(file, dateOffset) >= SecondsSince1904(before));
        CHECK(BE32(file, dateOffset) <= SecondsSince1904(after));
    }
    CHECK(BE32(file, 44) == 0); // never backed up
    CHECK(BE32(file, 52) == 0); // no appInfo
    CHECK(BE32(file, 56) == 0); // no sortInfo
    CHECK(std::memcmp(&file[60], "DaTa", 4) == 0);
    CHECK(std::memcmp(&file[64], "vqKT", 4) == 0);
    CHECK(BE32(file, 72) == 0);
    CHECK(BE16(file, 76) == 3);

    const DWORD offsets[3] = {104, 104 + 64, 104 + 64 + 32768};
    const BYTE attributes[3] = {0x40, 0x40, 0x43};
    for (int i = 0; i < 3; ++i) {
        CAPTURE(i);
        size_t entry = 78 + i * 8;
        CHECK(BE32(file, entry) == offsets[i]);
        CHECK(file[entry + 4] == attributes[i]);
        CHECK((BE32(file, entry + 4) & 0xFFFFFF) == ids[i]);
    }
    CHECK(file[102] == 0);
    CHECK(file[103] == 0);
    CHECK(std::equal(kHeaderRecord.begin(), kHeaderRecord.end(), file.begin() + 104));
    CHECK(std::equal(kFullRecord.begin(), kFullRecord.end(), file.begin() + 168));
    CHECK(std::equal(kShortRecord.begin(), kShortRecord.end(), file.begin() + 32936));
}

TEST_CASE("reopening for writing keeps the records and adds or replaces by ID") {
    AttachedHandheld handheld;
    MakeDatabase("Grow", {kHeaderRecord, kFullRecord});
    BYTE handle = 0;
    REQUIRE(SyncOpenDB("Grow", 0, &handle, eDbRead | eDbWrite) == 0);
    std::vector<BYTE> bytes;
    CRawRecordInfo first = {};
    REQUIRE(ReadRecord(handle, 0, 64, bytes, &first) == 0);
    REQUIRE(WriteNewRecord(handle, kShortRecord) == 0);

    std::vector<BYTE> replacement = Pattern(10, 9);
    CRawRecordInfo record = {};
    record.m_FileHandle = handle;
    record.m_RecId = first.m_RecId;
    record.m_RecSize = 10;
    record.m_pBytes = replacement.data();
    REQUIRE(SyncWriteRec(&record) == 0);
    CHECK(record.m_RecId == first.m_RecId);
    REQUIRE(SyncCloseDB(handle) == 0);

    REQUIRE(SyncOpenDB("Grow", 0, &handle, eDbRead) == 0);
    CRawRecordInfo info = {};
    CHECK(ReadRecord(handle, 0, 64, bytes, &info) == 0);
    CHECK(bytes == replacement);
    CHECK(info.m_RecId == first.m_RecId);
    CHECK(ReadRecord(handle, 1, 32768, bytes) == 0);
    CHECK(bytes == kFullRecord);
    CHECK(ReadRecord(handle, 2, 32768, bytes) == 0);
    CHECK(bytes == kShortRecord);
    CHECK(ReadRecord(handle, 3, 32768, bytes) == SYNCERR_NOT_FOUND);
    CHECK(SyncCloseDB(handle) == 0);
}

TEST_CASE("a record's size may come as the buffer size alone") {
    AttachedHandheld handheld;
    BYTE handle = 0;
    REQUIRE(CreateDatabase("Sizes", handle) == 0);
    std::vector<BYTE> data = Pattern(300, 4);
    CRawRecordInfo record = {};
    record.m_FileHandle = handle;
    record.m_TotalBytes = 300;
    record.m_pBytes = data.data();
    REQUIRE(SyncWriteRec(&record) == 0);
    REQUIRE(SyncCloseDB(handle) == 0);
    REQUIRE(SyncOpenDB("Sizes", 0, &handle, eDbRead) == 0);
    std::vector<BYTE> bytes;
    CHECK(ReadRecord(handle, 0, 1000, bytes) == 0);
    CHECK(bytes == data);
    SyncCloseDB(handle);
}

// Files in the handheld folder that are not well-formed databases are refused, never a crash.
#include "tests/palm/PalmTestSupport.h"

#include <doctest/doctest.h>

#include <cstring>

using namespace palmtest;

namespace {

// A well-formed two-record database "Broken" as written by the handheld itself.
std::vector<BYTE> ValidFile(const AttachedHandheld& handheld) {
    MakeDatabase("Broken", {Pattern(20, 1), Pattern(30, 2)});
    return ReadWholeFile((handheld.folder / "^broken.pdb"));
}

void PutBE32(std::vector<BYTE>& bytes, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<BYTE>(value >> (24 - 8 * i));
    }
}

// Opens "Broken" and reads every record it claims; returns the open's result.
long OpenAndReadAll() {
    BYTE handle = 0;
    long result = SyncOpenDB("Broken", 0, &handle, 0x90);
    if (result == 0) {
        std::vector<BYTE> bytes;
        for (WORD index = 0; ReadRecord(handle, index, 0xFFFF, bytes) == 0; ++index) {
        }
        CHECK(SyncCloseDB(handle) == 0);
    }
    return result;
}

} // namespace

TEST_CASE("a truncated database is refused up to its last record's data") {
    AttachedHandheld handheld;
    std::vector<BYTE> valid = ValidFile(handheld);
    REQUIRE(valid.size() == 78 + 16 + 2 + 50);
    const size_t lastRecordStart = 78 + 16 + 2 + 20;
    for (size_t length = 0; length < valid.size(); ++length) {
        CAPTURE(length);
        REQUIRE(WriteWholeFile((handheld.folder / "^broken.pdb"),
                               std::vector<BYTE>(valid.begin(), valid.begin() + length)));
        long result = OpenAndReadAll();
        if (length < lastRecordStart) {
            CHECK(result != 0);
            SyncFindDbByNameParams params = {eFindByNameOptGetAttributes, 0, "Broken"};
            SyncDatabaseInfoType info = {};
            CHECK(SyncFindDbByName(&params, &info) != 0);
        }
    }
    CHECK(EmuOpenDatabaseCount() == 0);
}

TEST_CASE("malformed headers and entries are refused") {
    AttachedHandheld handheld;
    std::vector<BYTE> file = ValidFile(handheld);

    SUBCASE("garbage") {
        file = Pattern(500, 7);
    }
    SUBCASE("a name without its terminating zero") {
        std::memset(file.data(), 'B', 32);
    }
    SUBCASE("an empty name") {
        file[0] = 0;
    }
    SUBCASE("another database's name") {
        file[0] = 'b';
    }
    SUBCASE("more records than the file holds entries for") {
        file[76] = 0xFF;
        file[77] = 0xFF;
    }
    SUBCASE("a record offset past the end of the file") {
        PutBE32(file, 78 + 8, 0x7FFFFFF0);
    }
    SUBCASE("record offsets going backwards") {
        PutBE32(file, 78, 120);
        PutBE32(file, 78 + 8, 100);
    }
    SUBCASE("a record inside the entry list") {
        PutBE32(file, 78, 40);
    }
    SUBCASE("an appInfo block past the first record") {
        PutBE32(file, 52, 140);
    }
    SUBCASE("a chained record list") {
        PutBE32(file, 72, 1);
    }
    SUBCASE("a resource database whose entries overrun") {
        file[33] |= 0x01;
        file[76] = 0x00;
        file[77] = 0x20;
    }
    REQUIRE(WriteWholeFile((handheld.folder / "^broken.pdb"), file));
    CHECK(OpenAndReadAll() != 0);
    CHECK(EmuOpenDatabaseCount() == 0);
    BYTE handle = 0;
    CHECK(CreateDatabase("Broken", handle) == SYNCERR_FILE_ALREADY_EXIST);
    CHECK(SyncDeleteDB("Broken", 0) == 0);
    REQUIRE(CreateDatabase("Broken", handle) == 0);
    CHECK(SyncCloseDB(handle) == 0);
}

TEST_CASE("a malformed preference database gives no preference") {
    AttachedHandheld handheld;
    REQUIRE(WriteWholeFile((handheld.folder / "^saved ^preferences.pdb"), Pattern(90, 3)));
    BYTE data[42] = {};
    CSyncPreference pref = TransferCountPreference(data);
    CHECK(SyncReadAppPreference(&pref) != 0);
    CHECK(SyncWriteAppPreference(&pref) != 0);
    CHECK(pref.m_RetBytes == 0);
}

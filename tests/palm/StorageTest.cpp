// palm_storage on its own: blocks it did not write itself, failed commits, leftovers.
#include "emulated/palm/storage/Database.h"
#include "emulated/palm/storage/HandheldFolder.h"
#include "tests/palm/PalmTestSupport.h"

#include <doctest/doctest.h>

#include <cstring>

using namespace palmtest;

namespace {

void Put32(std::vector<BYTE>& bytes, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<BYTE>(value >> (24 - 8 * i));
    }
}

// "Blocks" with a 10-byte appInfo, a 6-byte sortInfo and records of 3 and 4 bytes, as another
// tool might write it (no padding after the entries).
std::vector<BYTE> FileWithBlocks() {
    std::vector<BYTE> file(78 + 16);
    std::memcpy(file.data(), "Blocks", 6);
    Put32(file, 52, 94);  // appInfo
    Put32(file, 56, 104); // sortInfo
    std::memcpy(&file[60], "DATA", 4);
    std::memcpy(&file[64], "test", 4);
    file[77] = 2;
    Put32(file, 78, 110);
    Put32(file, 82, 0x10000007); // category 0, attributes 0x10, ID 7
    Put32(file, 86, 113);
    Put32(file, 90, 0x40000009);
    for (const char* block : {"appinfo!!!", "sort!!", "abc", "defg"}) {
        file.insert(file.end(), block, block + std::strlen(block));
    }
    return file;
}

} // namespace

TEST_CASE("appInfo, sortInfo and old records survive a commit") {
    ScratchFolder folder{"palm"};
    palm::HandheldFolder handheld(folder.path());
    REQUIRE(WriteWholeFile(handheld.PathOf("Blocks"), FileWithBlocks()));
    std::unique_ptr<palm::Database> database;
    REQUIRE(handheld.Open("Blocks", database) == palm::Status::Ok);
    CHECK(database->AppInfoSize() == 10);
    CHECK(database->SortInfoSize() == 6);
    CHECK(database->FindRecord(9) == 1);
    DWORD id = 0;
    const BYTE added[] = {'x', 'y'};
    REQUIRE(database->AddRecord(0x40, id, added, 2) == palm::Status::Ok);
    CHECK(id != 7);
    CHECK(id != 9);
    REQUIRE(database->Commit() == palm::Status::Ok);

    std::vector<BYTE> file = ReadWholeFile(handheld.PathOf("Blocks"));
    const size_t dataStart = 78 + 3 * 8 + 2;
    REQUIRE(file.size() == dataStart + 10 + 6 + 3 + 4 + 2);
    CHECK(BE16(file, 76) == 3);
    CHECK(BE32(file, 52) == dataStart);
    CHECK(BE32(file, 56) == dataStart + 10);
    CHECK(BE32(file, 78) == dataStart + 16);
    CHECK(BE32(file, 82) == 0x10000007);
    CHECK(BE32(file, 86) == dataStart + 19);
    CHECK(BE32(file, 90) == 0x40000009);
    CHECK(BE32(file, 94) == dataStart + 23);
    CHECK(BE32(file, 48) == 1); // modification number
    CHECK(std::string(file.begin() + dataStart, file.end()) == "appinfo!!!sort!!abcdefgxy");
}

TEST_CASE("a commit that cannot replace the file leaves it as it was") {
    AttachedHandheld handheld;
    MakeDatabase("Locked", {Pattern(10, 1)});
    std::string path = (handheld.folder / "^locked.pdb");
    std::vector<BYTE> before = ReadWholeFile(path);
    BYTE handle = 0;
    REQUIRE(SyncOpenDB("Locked", 0, &handle, eDbRead | eDbWrite) == 0);
    REQUIRE(WriteNewRecord(handle, Pattern(20, 2)) == 0);
    // Another program holding the file without sharing deletion blocks its replacement.
    CHECK(CloseWhileHeld(handle, path) != 0);
    CHECK(EmuOpenDatabaseCount() == 0);
    CHECK(ReadWholeFile(path) == before);
    CHECK(FileNames((handheld.folder / palm::kWorkFolder)).empty());
    CHECK(CountRecords("Locked") == 1);
}

TEST_CASE("attaching removes what an interrupted commit left behind") {
    ScratchFolder folder{"palm"};
    std::string work = (folder / palm::kWorkFolder);
    REQUIRE(CreateDirectoryA(work.c_str(), nullptr));
    REQUIRE(WriteWholeFile(work + "\\notes.pdb.tmp", Pattern(100, 1)));
    // A new database that was being written when its process ended.
    REQUIRE(WriteWholeFile(work + "\\^big.pdb.new", Pattern(100, 2)));
    REQUIRE(WriteWholeFile(work + "\\keep.txt", Pattern(10, 1)));
    REQUIRE(EmuAttachHandheld(folder.path().c_str()));
    CHECK(FileNames(work) == std::vector<std::string>{"keep.txt"});
}

// The emulated handheld's rules: one open database, missing and existing names, finds, card
// information, preferences, and the calls made to fail.
#include "tests/palm/PalmTestSupport.h"

#include <doctest/doctest.h>

#include <cstring>

using namespace palmtest;

TEST_CASE("the handheld refuses what a real one refuses") {
    AttachedHandheld handheld;
    MakeDatabase("Existing", {Pattern(10, 1)});
    BYTE handle = 0;

    CHECK(SyncOpenDB("Missing", 0, &handle, 0x90) == SYNCERR_NOT_FOUND);
    CHECK(SyncOpenDB("existing", 0, &handle, 0x90) == SYNCERR_NOT_FOUND);
    CHECK(CreateDatabase("Existing", handle) == SYNCERR_FILE_ALREADY_EXIST);
    CHECK(CreateDatabase("", handle) == SYNCERR_BAD_ARG);
    CHECK(EmuOpenDatabaseCount() == 0);
    CHECK(SyncDeleteDB("Missing", 0) == SYNCERR_NOT_FOUND);

    REQUIRE(SyncOpenDB("Existing", 0, &handle, 0x90) == 0);
    BYTE second = 0;
    CHECK(SyncOpenDB("Existing", 0, &second, 0x90) == SYNCERR_TOO_MANY_OPEN_FILES);
    CHECK(CreateDatabase("Other", second) == SYNCERR_TOO_MANY_OPEN_FILES);
    CHECK(SyncDeleteDB("Existing", 0) == SYNCERR_FILE_OPEN);
    CHECK(WriteNewRecord(handle, Pattern(4, 2)) == SYNCERR_READ_ONLY);
    CHECK(SyncCloseDB(static_cast<BYTE>(handle + 1)) == SYNCERR_FILE_NOT_OPEN);
    REQUIRE(SyncCloseDB(handle) == 0);
    CHECK(SyncCloseDB(handle) == SYNCERR_FILE_NOT_OPEN);
    CHECK(CountRecords("Existing") == 1);

    CHECK(SyncDeleteDB("Existing", 0) == 0);
    CHECK(SyncOpenDB("Existing", 0, &handle, 0x90) == SYNCERR_NOT_FOUND);
    CHECK(FileNames(handheld.folder.path()).empty());
}

TEST_CASE("names longer than 31 characters do not exist") {
    AttachedHandheld handheld;
    CDbCreateDB create = {};
    std::memset(create.m_Name, 'x', sizeof(create.m_Name));
    CHECK(SyncCreateDB(&create) == SYNCERR_BAD_ARG);
    BYTE handle = 0;
    std::string longName(40, 'x');
    CHECK(SyncOpenDB(longName.c_str(), 0, &handle, 0x90) == SYNCERR_NOT_FOUND);
    CHECK(SyncDeleteDB(longName.c_str(), 0) == SYNCERR_NOT_FOUND);
    REQUIRE(CreateDatabase(std::string(31, 'y'), handle) == 0);
    CHECK(SyncCloseDB(handle) == 0);
    CHECK(CountRecords(std::string(31, 'y')) == 0);
}

TEST_CASE("find reports a database's type, creator and size") {
    AttachedHandheld handheld;
    MakeDatabase("notes.txt", {Pattern(64, 1), Pattern(1000, 2)});
    SyncFindDbByNameParams params = {eFindByNameOptGetAttributes, 0, "notes.txt"};
    SyncDatabaseInfoType info = {};
    REQUIRE(SyncFindDbByName(&params, &info) == 0);
    const BYTE* raw = reinterpret_cast<const BYTE*>(&info);
    DWORD type = 0;
    DWORD creator = 0;
    std::memcpy(&type, raw + 6, 4);
    std::memcpy(&creator, raw + 42, 4);
    CHECK(type == kTypeData);
    CHECK(creator == kCreatorKestrin);
    CHECK(std::string(info.m_Name) == "notes.txt");
    CHECK(info.m_Version == 10);
    CHECK(info.m_RecCount == 2);
    CHECK(info.m_dwDataBytes == 1064);
    CHECK(info.m_dwMaxRecSize == 1000);

    params.pcDatabaseName = "Notes.txt";
    CHECK(SyncFindDbByName(&params, &info) == SYNCERR_NOT_FOUND);
}

TEST_CASE("card 0 reports the configured free RAM") {
    AttachedHandheld handheld;
    CCardInfo card = {};
    REQUIRE(SyncReadSingleCardInfo(&card) == 0);
    CHECK(card.m_FreeRam == 8u * 1024 * 1024);
    EmuSetFreeRam(12345);
    std::memset(&card, 0, sizeof(card));
    REQUIRE(SyncReadSingleCardInfo(&card) == 0);
    DWORD freeRam = 0;
    std::memcpy(&freeRam, reinterpret_cast<const BYTE*>(&card) + 15, 4);
    CHECK(freeRam == 12345);
    REQUIRE(EmuAttachHandheld(handheld.folder.path().c_str()));
    REQUIRE(SyncReadSingleCardInfo(&card) == 0);
    CHECK(card.m_FreeRam == 8u * 1024 * 1024);
}

TEST_CASE("every operation fails while no handheld is attached") {
    ScratchFolder folder{"palm"};
    CHECK_FALSE(EmuAttachHandheld(nullptr));
    CONDHANDLE conduit = 0;
    BYTE handle = 0;
    CHECK(SyncRegisterConduit(&conduit) != 0);
    CHECK(SyncOpenDB("x", 0, &handle, 0x90) != 0);
    CHECK(CreateDatabase("x", handle) != 0);
    CCardInfo card = {};
    CHECK(SyncReadSingleCardInfo(&card) != 0);
    CHECK(FileNames(folder.path()).empty());
    CHECK(EmuCallCount(emuOpen) == 1);
}

TEST_CASE("register hands out non-zero handles") {
    AttachedHandheld handheld;
    CONDHANDLE first = 0;
    CONDHANDLE second = 0;
    REQUIRE(SyncRegisterConduit(&first) == 0);
    REQUIRE(SyncRegisterConduit(&second) == 0);
    CHECK(first != 0);
    CHECK(second != first);
    CHECK(SyncUnRegisterConduit(first) == 0);
    CHECK(SyncUnRegisterConduit(first) != 0);
    CHECK(SyncUnRegisterConduit(second) == 0);
    CHECK(SyncHostToHHWord(0x1234) == 0x3412);
    CHECK(SyncHostToHHDWord(0x12345678) == 0x78563412);
    CHECK(SyncHHToHostDWord(0x78563412) == 0x12345678);
}

namespace {

CSyncPreference PreferenceBlock(BYTE* data, WORD size, DWORD backup = 1) {
    CSyncPreference pref = {};
    pref.m_Creator = kCreatorKestrin;
    pref.m_PrefId = 0;
    pref.m_ReqBytes = size;
    pref.m_Backup = backup;
    pref.m_dwDataSize = size;
    pref.m_pData = data;
    return pref;
}

} // namespace

TEST_CASE("application preferences live in Saved Preferences") {
    AttachedHandheld handheld;
    BYTE data[42] = {};
    CSyncPreference pref = PreferenceBlock(data, 42);
    CHECK(SyncReadAppPreference(&pref) == 0x4003);

    std::vector<BYTE> stored = Pattern(42, 5);
    std::memcpy(data, stored.data(), 42);
    pref.m_Version = 3;
    REQUIRE(SyncWriteAppPreference(&pref) == 0);

    SUBCASE("read back whole") {
        BYTE back[42] = {};
        CSyncPreference read = PreferenceBlock(back, 42);
        REQUIRE(SyncReadAppPreference(&read) == 0);
        CHECK(read.m_Version == 3);
        CHECK(read.m_RetBytes == 42);
        CHECK(read.m_ActSize == 42);
        CHECK(std::memcmp(back, stored.data(), 42) == 0);
    }
    SUBCASE("read in part") {
        BYTE back[42] = {};
        CSyncPreference read = PreferenceBlock(back, 10);
        read.m_dwDataSize = 42;
        REQUIRE(SyncReadAppPreference(&read) == 0);
        CHECK(read.m_RetBytes == 10);
        CHECK(read.m_ActSize == 42);
        CHECK(std::memcmp(back, stored.data(), 10) == 0);
        CHECK(back[10] == 0);
    }
    SUBCASE("the unsaved preferences are another database") {
        BYTE back[42] = {};
        CSyncPreference read = PreferenceBlock(back, 42, 0);
        CHECK(SyncReadAppPreference(&read) == 0x4003);
    }
    SUBCASE("stored as a resource with the version in front") {
        std::vector<BYTE> file = ReadWholeFile(handheld.folder / "^saved ^preferences.pdb");
        REQUIRE(file.size() == 78 + 10 + 2 + 44);
        CHECK(std::string(reinterpret_cast<const char*>(file.data())) == "Saved Preferences");
        CHECK((BE16(file, 32) & 0x0001) == 0x0001);
        CHECK(BE16(file, 76) == 1);
        CHECK(std::memcmp(&file[78], "vqKT", 4) == 0);
        CHECK(BE16(file, 82) == 0);
        CHECK(BE32(file, 84) == 90);
        CHECK(BE16(file, 90) == 3);
        CHECK(std::equal(stored.begin(), stored.end(), file.begin() + 92));
    }
    SUBCASE("a second write replaces the preference") {
        pref.m_Version = 4;
        pref.m_dwDataSize = 2;
        REQUIRE(SyncWriteAppPreference(&pref) == 0);
        BYTE back[42] = {};
        CSyncPreference read = PreferenceBlock(back, 42);
        REQUIRE(SyncReadAppPreference(&read) == 0);
        CHECK(read.m_Version == 4);
        CHECK(read.m_ActSize == 2);
        CHECK(read.m_RetBytes == 2);
    }
}

TEST_CASE("calls are counted, failed or not, until the next attach") {
    AttachedHandheld handheld;
    BYTE handle = 0;
    SyncOpenDB("Missing", 0, &handle, 0x90);
    SyncOpenDB("Missing", 0, &handle, 0x90);
    CCardInfo card = {};
    SyncReadSingleCardInfo(&card);
    CHECK(EmuCallCount(emuOpen) == 2);
    CHECK(EmuCallCount(emuCardInfo) == 1);
    CHECK(EmuCallCount(emuCreate) == 0);
    CHECK(EmuCallCount(-1) == 0);
    REQUIRE(EmuAttachHandheld(handheld.folder.path().c_str()));
    CHECK(EmuCallCount(emuOpen) == 0);
}

TEST_CASE("an injected fault fails the nth call and changes nothing") {
    AttachedHandheld handheld;
    MakeDatabase("Base", {Pattern(10, 1)});
    BYTE handle = 0;

    SUBCASE("open") {
        EmuFailCall(emuOpen, 1);
        CHECK(SyncOpenDB("Base", 0, &handle, 0x90) != 0);
        CHECK(EmuOpenDatabaseCount() == 0);
        REQUIRE(SyncOpenDB("Base", 0, &handle, 0x90) == 0);
        SyncCloseDB(handle);
    }
    SUBCASE("create") {
        EmuFailCall(emuCreate, 1);
        CHECK(CreateDatabase("New", handle) != 0);
        CHECK(EmuOpenDatabaseCount() == 0);
        CHECK(CountRecords("New") == -1);
        REQUIRE(CreateDatabase("New", handle) == 0);
        SyncCloseDB(handle);
    }
    SUBCASE("the second and fourth record writes") {
        EmuFailCall(emuWriteRecord, 2);
        EmuFailCall(emuWriteRecord, 4);
        REQUIRE(CreateDatabase("New", handle) == 0);
        long results[5];
        for (long& result : results) {
            result = WriteNewRecord(handle, Pattern(10, 2));
        }
        CHECK(results[0] == 0);
        CHECK(results[1] != 0);
        CHECK(results[2] == 0);
        CHECK(results[3] != 0);
        CHECK(results[4] == 0);
        REQUIRE(SyncCloseDB(handle) == 0);
        CHECK(CountRecords("New") == 3);
    }
    SUBCASE("read record") {
        REQUIRE(SyncOpenDB("Base", 0, &handle, 0x90) == 0);
        EmuFailCall(emuReadRecord, 1);
        std::vector<BYTE> bytes;
        CHECK(ReadRecord(handle, 0, 64, bytes) != 0);
        CHECK(bytes.empty());
        CHECK(ReadRecord(handle, 0, 64, bytes) == 0);
        CHECK(bytes == Pattern(10, 1));
        SyncCloseDB(handle);
    }
    SUBCASE("delete") {
        EmuFailCall(emuDelete, 1);
        CHECK(SyncDeleteDB("Base", 0) != 0);
        CHECK(CountRecords("Base") == 1);
        CHECK(SyncDeleteDB("Base", 0) == 0);
    }
    SUBCASE("find and card info") {
        EmuFailCall(emuFind, 2);
        EmuFailCall(emuCardInfo, 1);
        SyncFindDbByNameParams params = {eFindByNameOptGetAttributes, 0, "Base"};
        SyncDatabaseInfoType info = {};
        CHECK(SyncFindDbByName(&params, &info) == 0);
        CHECK(SyncFindDbByName(&params, &info) != 0);
        CHECK(SyncFindDbByName(&params, &info) == 0);
        CCardInfo card = {};
        CHECK(SyncReadSingleCardInfo(&card) != 0);
        CHECK(SyncReadSingleCardInfo(&card) == 0);
    }
    SUBCASE("preferences") {
        BYTE data[42] = {1, 2, 3};
        CSyncPreference pref = PreferenceBlock(data, 42);
        EmuFailCall(emuWritePreference, 1);
        CHECK(SyncWriteAppPreference(&pref) != 0);
        CHECK(SyncReadAppPreference(&pref) == 0x4003);
        REQUIRE(SyncWriteAppPreference(&pref) == 0);
        EmuFailCall(emuReadPreference, 1);
        long failed = SyncReadAppPreference(&pref);
        CHECK(failed != 0);
        CHECK(failed != 0x4003);
        CHECK(SyncReadAppPreference(&pref) == 0);
    }
    SUBCASE("register") {
        EmuFailCall(emuRegister, 1);
        CONDHANDLE conduit = 0;
        CHECK(SyncRegisterConduit(&conduit) != 0);
        CHECK(SyncRegisterConduit(&conduit) == 0);
        SyncUnRegisterConduit(conduit);
    }
    SUBCASE("cleared faults do not fire") {
        EmuFailCall(emuOpen, 1);
        EmuClearFaults();
        REQUIRE(SyncOpenDB("Base", 0, &handle, 0x90) == 0);
        SyncCloseDB(handle);
    }
}

TEST_CASE("a failed close drops the uncommitted writes and closes the handle") {
    AttachedHandheld handheld;
    BYTE handle = 0;

    SUBCASE("a just-created database stays, empty") {
        REQUIRE(CreateDatabase("Fresh", handle) == 0);
        REQUIRE(WriteNewRecord(handle, Pattern(100, 1)) == 0);
        EmuFailCall(emuClose, 1);
        CHECK(SyncCloseDB(handle) != 0);
        CHECK(EmuOpenDatabaseCount() == 0);
        CHECK(CountRecords("Fresh") == 0);
    }
    SUBCASE("an existing database keeps its records") {
        MakeDatabase("Kept", {Pattern(10, 1)});
        REQUIRE(SyncOpenDB("Kept", 0, &handle, eDbRead | eDbWrite) == 0);
        REQUIRE(WriteNewRecord(handle, Pattern(100, 2)) == 0);
        EmuFailCall(emuClose, 1);
        CHECK(SyncCloseDB(handle) != 0);
        CHECK(SyncCloseDB(handle) == SYNCERR_FILE_NOT_OPEN);
        CHECK(CountRecords("Kept") == 1);
    }
    CHECK(FileNames(handheld.folder.path()).size() == 1);
}

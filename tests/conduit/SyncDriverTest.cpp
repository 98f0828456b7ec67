// One synchronisation from end to end: registration, log entries, settings, transfer counts.
#include "conduit/SyncDriver.h"
#include "interfaces/palm/HSLog.h"
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/Settings.h"
#include "tests/conduit/TransferSupport.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

using namespace transfer_test;

namespace {

constexpr DWORD kCreator = 0x76714B54; // 'vqKT'
constexpr const char* kWinZipKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WinZip.exe";

struct LogEntry {
    std::string text;
    int activity;
    BOOL timeStamp;
    bool operator==(const LogEntry& other) const {
        return text == other.text && activity == other.activity && timeStamp == other.timeStamp;
    }
};

std::vector<LogEntry> LoggedEntries() {
    std::vector<LogEntry> entries;
    for (int i = 0; i < EmuLogEntryCount(); ++i) {
        char text[256] = {};
        LogEntry entry = {};
        EmuLogEntry(i, text, sizeof(text), &entry.activity, &entry.timeStamp);
        entry.text = text;
        entries.push_back(entry);
    }
    return entries;
}

// A synchronisation's surroundings: an empty handheld and empty outgoing and incoming folders.
struct SyncFixture {
    ScratchFolder handheld{"handheld"};
    ScratchFolder outgoing{"outgoing"};
    ScratchFolder incoming{"incoming"};

    SyncFixture() {
        REQUIRE(EmuAttachHandheld(handheld.path().c_str()));
        EmuLogClear();
        WriteDefaultSettings(outgoing.path(), incoming.path());
    }
    ~SyncFixture() { DeleteSettings(); }
};

CSyncPreference TransferCountPreference(BYTE* data, WORD size) {
    CSyncPreference preference = {};
    preference.m_Creator = kCreator;
    preference.m_PrefId = 0;
    preference.m_ReqBytes = size;
    preference.m_Backup = 1;
    preference.m_dwDataSize = size;
    preference.m_pData = data;
    return preference;
}

void StorePreference(WORD version, const std::vector<BYTE>& bytes) {
    std::vector<BYTE> data = bytes;
    CSyncPreference preference = TransferCountPreference(data.data(), static_cast<WORD>(data.size()));
    preference.m_Version = version;
    REQUIRE(SyncWriteAppPreference(&preference) == 0);
}

// The preference as the handheld holds it: version, then its 42 bytes.
std::pair<WORD, std::vector<BYTE>> LoadPreference() {
    std::vector<BYTE> data(42, 0xEE);
    CSyncPreference preference = TransferCountPreference(data.data(), 42);
    REQUIRE(SyncReadAppPreference(&preference) == 0);
    data.resize(preference.m_RetBytes);
    return {preference.m_Version, data};
}

std::vector<BYTE> Tail(BYTE first, size_t count) {
    std::vector<BYTE> bytes;
    for (size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<BYTE>(first + i));
    }
    return bytes;
}

void SetArchiverRegistration(const char* programPath) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kWinZipKey);
    if (programPath != nullptr) {
        win::RegKey key = settings::CreateKey(HKEY_LOCAL_MACHINE, kWinZipKey);
        REQUIRE(settings::WriteString(key.get(), nullptr, programPath));
    }
}

} // namespace

TEST_CASE("OpenConduit with no progress callback does nothing at all") {
    SyncFixture fixture;
    ConduitDll conduit;
    CSyncProperties properties = {};
    CHECK(conduit.openConduit(nullptr, &properties) == -1);
    CHECK(EmuLogEntryCount() == 0);
    CHECK(EmuCallCount(emuRegister) == 0);
    CHECK(EmuCallCount(emuOpen) == 0);
}

TEST_CASE("a failed registration is handed back and nothing else happens") {
    SyncFixture fixture;
    ConduitDll conduit;
    CSyncProperties properties = {};
    EmuFailCall(emuRegister, 1);
    CHECK(conduit.openConduit(IgnoreProgress, &properties) != 0);
    CHECK(EmuLogEntryCount() == 0);
    CHECK(EmuCallCount(emuOpen) == 0);
}

TEST_CASE("a synchronisation logs its start and its end and nothing else") {
    SyncFixture fixture;
    StorePreference(1, Tail(0, 42));
    ConduitDll conduit;
    CSyncProperties properties = {};
    DWORD reads = EmuCallCount(emuReadPreference);

    CHECK(conduit.openConduit(IgnoreProgress, &properties) == 0);

    std::vector<LogEntry> expected = {{"", slSyncStarted, FALSE}, {"KestrinConduit", slSyncFinished, FALSE}};
    CHECK(LoggedEntries() == expected);
    // Nothing moved: the transfer counts are not even read.
    CHECK(EmuCallCount(emuReadPreference) == reads);
    CHECK(LoadPreference().second == Tail(0, 42));
    CHECK(EmuOpenDatabaseCount() == 0);
}

TEST_CASE("the transfer counts go into bytes 0 to 3 of the preference; the rest is kept") {
    SyncFixture fixture;
    SyncSession session;
    session.sentCount = 3;

    SUBCASE("a full preference keeps its version and bytes 4 to 41") {
        StorePreference(5, Tail(0x40, 42));
        UpdateTransferCounts(session);
        auto [version, bytes] = LoadPreference();
        CHECK(version == 5);
        std::vector<BYTE> expected = {0x00, 0x03, 0x00, 0x00};
        std::vector<BYTE> rest = Tail(0x44, 38);
        expected.insert(expected.end(), rest.begin(), rest.end());
        CHECK(bytes == expected);
    }
    SUBCASE("both counts in handheld order") {
        StorePreference(1, std::vector<BYTE>(42, 0));
        session.sentCount = 0x0102;
        session.receivedCount = 0x0304;
        UpdateTransferCounts(session);
        std::vector<BYTE> bytes = LoadPreference().second;
        bytes.resize(4);
        CHECK(bytes == std::vector<BYTE>{0x01, 0x02, 0x03, 0x04});
    }
    SUBCASE("a shorter preference grows to 42 bytes, zero past what was read") {
        StorePreference(1, Tail(0x40, 10));
        UpdateTransferCounts(session);
        std::vector<BYTE> expected = {0x00, 0x03, 0x00, 0x00};
        std::vector<BYTE> rest = Tail(0x44, 6);
        expected.insert(expected.end(), rest.begin(), rest.end());
        expected.resize(42, 0);
        CHECK(LoadPreference().second == expected);
    }
    SUBCASE("no such preference on the handheld: nothing is written") {
        DWORD writes = EmuCallCount(emuWritePreference);
        UpdateTransferCounts(session);
        CHECK(EmuCallCount(emuReadPreference) == 1);
        CHECK(EmuCallCount(emuWritePreference) == writes);
    }
    SUBCASE("no file moved: not even read") {
        StorePreference(1, Tail(0x40, 42));
        session.sentCount = 0;
        UpdateTransferCounts(session);
        CHECK(EmuCallCount(emuReadPreference) == 0);
        CHECK(LoadPreference().second == Tail(0x40, 42));
    }
    SUBCASE("a read that fails for any reason writes nothing: the handheld application's bytes stay") {
        StorePreference(7, Tail(0x40, 42));
        DWORD writes = EmuCallCount(emuWritePreference);
        EmuFailCall(emuReadPreference, 1);
        UpdateTransferCounts(session);
        CHECK(EmuCallCount(emuWritePreference) == writes);
        auto [version, bytes] = LoadPreference();
        CHECK(version == 7);
        CHECK(bytes == Tail(0x40, 42));
    }
    SUBCASE("a preference longer than 42 bytes is written back whole, only the counts changed") {
        StorePreference(3, Tail(0x10, 100));
        UpdateTransferCounts(session);
        std::vector<BYTE> data(100, 0xEE);
        CSyncPreference preference = TransferCountPreference(data.data(), 100);
        REQUIRE(SyncReadAppPreference(&preference) == 0);
        CHECK(preference.m_ActSize == 100);
        CHECK(preference.m_Version == 3);
        std::vector<BYTE> expected = Tail(0x10, 100);
        expected[0] = 0x00;
        expected[1] = 0x03;
        expected[2] = 0x00;
        expected[3] = 0x00;
        CHECK(data == expected);
    }
}

TEST_CASE("ReadSettings takes the folders, the policies and the archiver") {
    WriteDefaultSettings("C:\\Out", "C:\\In");
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
    SetArchiverRegistration(nullptr);
    EmuLogClear();

    SUBCASE("values as Setup writes them") {
        settings::WriteDword(key.get(), settings::kFromPCToPalm, settings::DoNothing);
        ConduitSettings read = ReadSettings();
        CHECK(read.sendFolder == std::string("C:\\Out"));
        CHECK(read.receiveFolder == std::string("C:\\In"));
        CHECK(read.fromPCToPalm == settings::DoNothing);
        CHECK(read.fromPalmToPC == settings::Ask);
        CHECK(read.archiver == settings::NoArchiver);
        CHECK(EmuLogEntryCount() == 0);
    }
    SUBCASE("a folder value that is missing, not a string or too long counts as missing") {
        RegDeleteValueA(key.get(), settings::kFolderForSFiles);
        std::string expandable = "C:\\In";
        RegSetValueExA(key.get(), settings::kFolderForRFiles, 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(expandable.c_str()),
                       static_cast<DWORD>(expandable.size() + 1));
        ConduitSettings read = ReadSettings();
        CHECK_FALSE(read.sendFolder.has_value());
        CHECK_FALSE(read.receiveFolder.has_value());

        settings::WriteString(key.get(), settings::kFolderForSFiles, std::string(260, 'a'));
        std::string longest = "C:\\" + std::string(256, 'b');
        settings::WriteString(key.get(), settings::kFolderForRFiles, longest);
        read = ReadSettings();
        CHECK_FALSE(read.sendFolder.has_value());
        CHECK(read.receiveFolder == longest);
    }
    SUBCASE("a folder value that is no full path is no folder, and says so in the log") {
        settings::WriteString(key.get(), settings::kFolderForSFiles, "Outbox");
        settings::WriteString(key.get(), settings::kFolderForRFiles, "C:Inbox");
        ConduitSettings read = ReadSettings();
        CHECK_FALSE(read.sendFolder.has_value());
        CHECK_FALSE(read.receiveFolder.has_value());
        CHECK(EmuLogEntryCount() == 2);
        settings::WriteString(key.get(), settings::kFolderForSFiles, "\\\\server\\share\\Outbox");
        CHECK(ReadSettings().sendFolder == std::string("\\\\server\\share\\Outbox"));
    }
    SUBCASE("a policy that is missing or not a 4-byte number means DoNothing, never an earlier value") {
        RegDeleteValueA(key.get(), settings::kFromPCToPalm);
        const BYTE twoBytes[2] = {0, 0};
        RegSetValueExA(key.get(), settings::kFromPalmToPC, 0, REG_DWORD, twoBytes, sizeof(twoBytes));
        ConduitSettings read = ReadSettings();
        CHECK(read.fromPCToPalm == settings::DoNothing);
        CHECK(read.fromPalmToPC == settings::DoNothing);
        CHECK(EmuLogEntryCount() == 2);
    }
    SUBCASE("an archiver value that cannot be read means no compression") {
        SetArchiverRegistration("C:\\Program Files\\WinZip\\winzip32.exe");
        RegSetValueExA(key.get(), settings::kArchiver, 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
        CHECK(ReadSettings().archiver == settings::NoArchiver);
        SetArchiverRegistration(nullptr);
    }
    SUBCASE("a chosen archiver without its registration sends uncompressed; the store keeps the choice") {
        settings::WriteDword(key.get(), settings::kArchiver, settings::WinZip);
        CHECK(ReadSettings().archiver == settings::NoArchiver);
        CHECK(settings::ReadDword(key.get(), settings::kArchiver) == DWORD(settings::WinZip));
    }
    SUBCASE("a registered archiver's program path is taken as it stands") {
        SetArchiverRegistration("C:\\Program Files\\WinZip\\winzip32.exe");
        settings::WriteDword(key.get(), settings::kArchiver, settings::WinZip);
        ConduitSettings read = ReadSettings();
        CHECK(read.archiver == settings::WinZip);
        CHECK(read.archiverPath == "C:\\Program Files\\WinZip\\winzip32.exe");
        SetArchiverRegistration(nullptr);
    }
    SUBCASE("an unknown archiver number is kept as it is") {
        settings::WriteDword(key.get(), settings::kArchiver, 7);
        ConduitSettings read = ReadSettings();
        CHECK(read.archiver == 7);
        CHECK(read.archiverPath.empty());
    }
    key.reset();
    DeleteSettings();
}

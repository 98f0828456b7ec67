// One synchronisation from end to end: registration, log entries, settings, transfer counts.
#include "conduit/SyncDriver.h"
#include "interfaces/palm/HSLog.h"
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/Settings.h"
#include "tests/conduit/TestSupport.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

using namespace testing;

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
    sentCount = 3;
    receivedCount = 0;

    SUBCASE("a full preference keeps its version and bytes 4 to 41") {
        StorePreference(5, Tail(0x40, 42));
        UpdateTransferCounts();
        auto [version, bytes] = LoadPreference();
        CHECK(version == 5);
        std::vector<BYTE> expected = {0x00, 0x03, 0x00, 0x00};
        std::vector<BYTE> rest = Tail(0x44, 38);
        expected.insert(expected.end(), rest.begin(), rest.end());
        CHECK(bytes == expected);
    }
    SUBCASE("both counts in handheld order") {
        StorePreference(1, std::vector<BYTE>(42, 0));
        sentCount = 0x0102;
        receivedCount = 0x0304;
        UpdateTransferCounts();
        std::vector<BYTE> bytes = LoadPreference().second;
        bytes.resize(4);
        CHECK(bytes == std::vector<BYTE>{0x01, 0x02, 0x03, 0x04});
    }
    SUBCASE("a shorter preference grows to 42 bytes, zero past what was read") {
        StorePreference(1, Tail(0x40, 10));
        UpdateTransferCounts();
        std::vector<BYTE> expected = {0x00, 0x03, 0x00, 0x00};
        std::vector<BYTE> rest = Tail(0x44, 6);
        expected.insert(expected.end(), rest.begin(), rest.end());
        expected.resize(42, 0);
        CHECK(LoadPreference().second == expected);
    }
    SUBCASE("no such preference on the handheld: nothing is written") {
        DWORD writes = EmuCallCount(emuWritePreference);
        UpdateTransferCounts();
        CHECK(EmuCallCount(emuReadPreference) == 1);
        CHECK(EmuCallCount(emuWritePreference) == writes);
    }
    SUBCASE("no file moved: not even read") {
        StorePreference(1, Tail(0x40, 42));
        sentCount = 0;
        UpdateTransferCounts();
        CHECK(EmuCallCount(emuReadPreference) == 0);
        CHECK(LoadPreference().second == Tail(0x40, 42));
    }
}

TEST_CASE("ReadSettings takes the folders, the policies and the archiver") {
    WriteDefaultSettings("C:\\Out", "C:\\In");
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
    SetArchiverRegistration(nullptr);
    conduitSettings = ConduitSettings();

    SUBCASE("values as Setup writes them") {
        settings::WriteDword(key.get(), settings::kFromPCToPalm, settings::DoNothing);
        ReadSettings();
        CHECK(conduitSettings.sendFolder == std::string("C:\\Out"));
        CHECK(conduitSettings.receiveFolder == std::string("C:\\In"));
        CHECK(conduitSettings.fromPCToPalm == settings::DoNothing);
        CHECK(conduitSettings.fromPalmToPC == settings::Ask);
        CHECK(conduitSettings.archiver == settings::NoArchiver);
    }
    SUBCASE("a folder value that is missing, not a string or too long counts as missing") {
        RegDeleteValueA(key.get(), settings::kFolderForSFiles);
        std::string expandable = "C:\\In";
        RegSetValueExA(key.get(), settings::kFolderForRFiles, 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(expandable.c_str()),
                       static_cast<DWORD>(expandable.size() + 1));
        ReadSettings();
        CHECK_FALSE(conduitSettings.sendFolder.has_value());
        CHECK_FALSE(conduitSettings.receiveFolder.has_value());

        settings::WriteString(key.get(), settings::kFolderForSFiles, std::string(260, 'a'));
        settings::WriteString(key.get(), settings::kFolderForRFiles, std::string(259, 'b'));
        ReadSettings();
        CHECK_FALSE(conduitSettings.sendFolder.has_value());
        CHECK(conduitSettings.receiveFolder == std::string(259, 'b'));
    }
    SUBCASE("a missing number keeps the value of the previous synchronisation") {
        conduitSettings.fromPCToPalm = settings::DoNothing;
        conduitSettings.archiver = settings::NoArchiver;
        RegDeleteValueA(key.get(), settings::kFromPCToPalm);
        ReadSettings();
        CHECK(conduitSettings.fromPCToPalm == settings::DoNothing);
    }
    SUBCASE("a chosen archiver without its registration sends uncompressed; the store keeps the choice") {
        settings::WriteDword(key.get(), settings::kArchiver, settings::WinZip);
        ReadSettings();
        CHECK(conduitSettings.archiver == settings::NoArchiver);
        CHECK(settings::ReadDword(key.get(), settings::kArchiver) == DWORD(settings::WinZip));
    }
    SUBCASE("a registered archiver's program path is taken as it stands") {
        SetArchiverRegistration("C:\\Program Files\\WinZip\\winzip32.exe");
        settings::WriteDword(key.get(), settings::kArchiver, settings::WinZip);
        ReadSettings();
        CHECK(conduitSettings.archiver == settings::WinZip);
        CHECK(conduitSettings.archiverPath == "C:\\Program Files\\WinZip\\winzip32.exe");
        SetArchiverRegistration(nullptr);
    }
    SUBCASE("an unknown archiver number is kept as it is") {
        conduitSettings.archiverPath = "earlier";
        settings::WriteDword(key.get(), settings::kArchiver, 7);
        ReadSettings();
        CHECK(conduitSettings.archiver == 7);
        CHECK(conduitSettings.archiverPath == "earlier");
    }
    key.reset();
    DeleteSettings();
}

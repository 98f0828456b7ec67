// The rules the conduit shares with the manager: the outgoing folder's listing and verdicts, the
// Settings store's transfer values, the default folders and what counts as a full folder path.
#include "settings/OutgoingFolder.h"
#include "settings/Settings.h"
#include "tests/conduit/TransferSupport.h"
#include "win/Paths.h"

#include <doctest/doctest.h>

#include <map>
#include <string>

using namespace transfer_test;
using settings::OutgoingVerdict;

namespace {

std::map<std::wstring, settings::OutgoingEntry> ListByName(const std::string& folder) {
    std::map<std::wstring, settings::OutgoingEntry> entries;
    for (const settings::OutgoingEntry& entry : settings::ListOutgoingFolder(folder)) {
        entries[entry.wideName] = entry;
    }
    return entries;
}

} // namespace

TEST_CASE("the outgoing folder's listing gives every entry with the verdict the conduit applies") {
    ScratchFolder folder("outgoing-rule");
    std::wstring base = win::ToWide(folder.path()) + L"\\";
    REQUIRE(WriteBytes(base + L"a.txt", "0123456789"));
    REQUIRE(WriteBytes(base + L"b.txt", ""));
    REQUIRE(CreateDirectoryW((base + L"docs").c_str(), nullptr));
    REQUIRE(WriteBytes(base + L"SerialSync.TXT", "x"));
    REQUIRE(WriteBytes(base + L"$$TEMP$$.zip", "x"));
    REQUIRE(WriteBytes(base + L"$$temp$$.Rar", "x"));
    REQUIRE(WriteBytes(base + L"~kestrinconduit.TMP", "x"));
    REQUIRE(WriteBytes(base + L"~KestrinConduit9.tmp", "x"));
    REQUIRE(WriteBytes(base + L"~KestrinConduit10.tmp", "x"));
    // Greek capital omega is in no Western code page; a-macron turns into a plain "a" there.
    REQUIRE(WriteBytes(base + L"\u03A9mega.txt", "omega"));
    REQUIRE(WriteBytes(base + L"not\u0101.txt", "macron"));
    REQUIRE(WriteBytes(base + L"nota.txt", "plain"));

    std::map<std::wstring, settings::OutgoingEntry> entries = ListByName(folder.path());
    REQUIRE(entries.size() == 12);
    CHECK(entries[L"a.txt"].verdict == OutgoingVerdict::Send);
    CHECK(entries[L"a.txt"].name == "a.txt");
    CHECK(entries[L"a.txt"].size == 10);
    CHECK(entries[L"b.txt"].verdict == OutgoingVerdict::Empty);
    CHECK(entries[L"docs"].verdict == OutgoingVerdict::Folder);
    CHECK(entries[L"SerialSync.TXT"].verdict == OutgoingVerdict::ReservedName);
    CHECK(entries[L"$$TEMP$$.zip"].verdict == OutgoingVerdict::TemporaryArchiveName);
    CHECK(entries[L"$$temp$$.Rar"].verdict == OutgoingVerdict::TemporaryArchiveName);
    CHECK(entries[L"nota.txt"].verdict == OutgoingVerdict::Send);
    CHECK(entries[L"~kestrinconduit.TMP"].verdict == OutgoingVerdict::WorkingFolderName);
    CHECK(entries[L"~KestrinConduit9.tmp"].verdict == OutgoingVerdict::WorkingFolderName);
    CHECK(entries[L"~KestrinConduit10.tmp"].verdict == OutgoingVerdict::Send);
    if (GetACP() != CP_UTF8) {
        CHECK(entries[L"\u03A9mega.txt"].verdict == OutgoingVerdict::NameNotAnsi);
        CHECK(entries[L"not\u0101.txt"].verdict == OutgoingVerdict::NameNotAnsi);
    }
    for (auto& [name, entry] : entries) {
        CHECK((entry.verdict == OutgoingVerdict::Send) ==
              (std::string(settings::DescribeVerdict(entry.verdict)).empty()));
    }

    WIN32_FIND_DATAA ansi = entries[L"a.txt"].AnsiFindData();
    CHECK(std::string(ansi.cFileName) == "a.txt");
    CHECK(ansi.nFileSizeLow == 10);
    CHECK(settings::JudgeOutgoingEntry(ansi) == OutgoingVerdict::Send);
    // The scratch folder's clean-up uses the 8-bit calls, which cannot reach these two.
    DeleteFileW((base + L"\u03A9mega.txt").c_str());
    DeleteFileW((base + L"not\u0101.txt").c_str());
}

TEST_CASE("a folder that cannot be listed lists nothing") {
    CHECK(settings::ListOutgoingFolder("C:\\no such folder\\at all").empty());
}

TEST_CASE("the transfer values are read as stored, and a value of the wrong type or size is missing") {
    WriteDefaultSettings("C:\\Out", "C:\\In");
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
    REQUIRE(key);

    SUBCASE("as Setup writes them") {
        settings::TransferSettings values = settings::ReadTransferSettings();
        CHECK(values.sendFolder == std::string("C:\\Out"));
        CHECK(values.receiveFolder == std::string("C:\\In"));
        CHECK(values.fromPalmToPC == DWORD(settings::Ask));
        CHECK(values.fromPCToPalm == DWORD(settings::Ask));
        CHECK(values.archiver == DWORD(settings::NoArchiver));
    }
    SUBCASE("a number of two, three or eight bytes is no number") {
        const BYTE bytes[8] = {0, 0, 0, 0, 0, 0, 0, 0};
        for (DWORD size : {2u, 3u, 8u}) {
            CAPTURE(size);
            RegSetValueExA(key.get(), settings::kFromPCToPalm, 0, REG_DWORD, bytes, size);
            CHECK_FALSE(settings::ReadDword(key.get(), settings::kFromPCToPalm).has_value());
            CHECK_FALSE(settings::ReadTransferSettings().fromPCToPalm.has_value());
        }
        RegSetValueExA(key.get(), settings::kArchiver, 0, REG_BINARY, bytes, 4);
        CHECK_FALSE(settings::ReadTransferSettings().archiver.has_value());
    }
    SUBCASE("without the key every value is missing") {
        key.reset();
        DeleteSettings();
        settings::TransferSettings values = settings::ReadTransferSettings();
        CHECK_FALSE(values.sendFolder.has_value());
        CHECK_FALSE(values.fromPalmToPC.has_value());
        CHECK_FALSE(values.archiver.has_value());
    }
    key.reset();
    DeleteSettings();
}

TEST_CASE("the store writes only the values it holds, and never makes the key unless asked") {
    DeleteSettings();
    settings::Store values;
    values.archiver = DWORD(settings::WinRar);
    CHECK_FALSE(values.Save(settings::Store::Key::MustExist));
    CHECK_FALSE(settings::Store().Load());
    REQUIRE(settings::Store::Defaults("C:\\Kestrin", "C:\\Palm").Save(settings::Store::Key::CreateIfMissing));
    CHECK(values.Save(settings::Store::Key::MustExist));
    settings::Store stored;
    REQUIRE(stored.Load());
    CHECK(stored.archiver == DWORD(settings::WinRar));
    CHECK(stored.sendFolder == std::string("C:\\Kestrin\\Outbox"));
    CHECK(stored.pathToHotSync == std::string("C:\\Palm"));
    CHECK(stored.columnWidths[0] == DWORD(202));
    CHECK(stored.columnWidths[3] == DWORD(86));
    DeleteSettings();
}

TEST_CASE("default folders and full folder paths") {
    CHECK(settings::DefaultSendFolder("C:\\Kestrin") == "C:\\Kestrin\\Outbox");
    CHECK(settings::DefaultReceiveFolder("C:\\Kestrin\\\\") == "C:\\Kestrin\\Inbox");
    for (const char* full : {"C:\\", "c:\\Out", "Z:\\tmp\\x", "\\\\server\\share", "\\\\?\\C:\\x"}) {
        CAPTURE(full);
        CHECK(win::IsFullFolderPath(full));
    }
    for (const char* partial :
         {"", "Outbox", "C:", "C:Outbox", "\\Outbox", ".\\Outbox", "..", "1:\\x", "/tmp"}) {
        CAPTURE(partial);
        CHECK_FALSE(win::IsFullFolderPath(partial));
    }
}

TEST_CASE("names are the same as the file system takes them: letter by letter, whatever the case") {
    CHECK(win::SameName(std::string("SerialSync.TXT"), std::string("serialsync.txt")));
    CHECK(win::SameName(std::wstring(L"\u00C9t\u00E9.doc"), std::wstring(L"\u00E9T\u00C9.DOC")));
    // A soft hyphen is a letter of the name, not a mark to pass over.
    CHECK_FALSE(win::SameName(std::wstring(L"serial\u00ADsync.txt"), std::wstring(L"serialsync.txt")));
    CHECK_FALSE(win::SameName(std::string("a.txt"), std::string("a.txt ")));
}

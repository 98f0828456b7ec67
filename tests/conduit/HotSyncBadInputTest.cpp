// Bad input, end to end: folder values that are no full paths, policy and archiver values of the
// wrong type or size, names that are not what they seem, malformed queues and other applications'
// databases, through the real hotsync.exe, the conduit and the emulated handheld.
#include "conduit/FileHeader.h"
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "bench/HotSyncBench.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <cstring>

using namespace end_to_end;
using namespace transfer_test;

namespace {

// A file on each side that a HotSync must not move: one waiting to go, one queued to come.
void PutBothWays(HotSyncBench& bench) {
    bench.PutOutgoing("out.txt", "from the PC");
    bench.PutQueued("in.txt", "from the handheld");
}

} // namespace

TEST_CASE("folder values must be full paths, or that direction does nothing and keeps its queue") {
    for (const char* value : {"Outbox", "C:Outbox", "\\Outbox", ".\\Outbox", ""}) {
        CAPTURE(value);
        HotSyncBench bench;
        // The host's working folder is the test programs' folder: a relative value would land there.
        std::string stray = Join(ProgramFolder(), "Outbox");
        CreateDirectoryA(stray.c_str(), nullptr);
        win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
        settings::WriteString(key.get(), settings::kFolderForSFiles, value);
        settings::WriteString(key.get(), settings::kFolderForRFiles, value);
        PutBothWays(bench);
        REQUIRE(WriteBytes(Join(stray, "here.txt"), "not to be sent"));

        HotSyncRun run = bench.Run();

        CHECK(ReadBytes(bench.outbox("out.txt")) == std::string("from the PC"));
        CHECK_FALSE(OnHandheld(bench, "out.txt"));
        CHECK_FALSE(OnHandheld(bench, "here.txt"));
        CHECK(OnHandheld(bench, kQueueDatabaseName));
        CHECK(Entries(stray) == std::set<std::string>{"here.txt"});
        CHECK(run.Warned(settings::kFolderForSFiles));
        CHECK(run.Warned(settings::kFolderForRFiles));
        bench.CheckNothingLost();
        testsupport::RemoveTree(stray);
    }
}

TEST_CASE("a missing folder value moves nothing in that direction") {
    HotSyncBench bench;
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
    RegDeleteValueA(key.get(), settings::kFolderForRFiles);
    PutBothWays(bench);
    HotSyncRun run = bench.Run();
    CHECK(OnHandheld(bench, kQueueDatabaseName));
    CHECK(Entries(bench.inbox()).empty());
    CHECK(HandheldData(bench, "out.txt") == "from the PC");
    bench.CheckNothingLost();
}

TEST_CASE("policy values that cannot be read mean Do nothing, never Overwrite") {
    struct BadValue {
        const char* description;
        DWORD type;
        std::string bytes; // empty: the value is deleted
    };
    const BadValue values[] = {
        {"missing", REG_NONE, ""},
        {"two bytes of zero", REG_DWORD, std::string(2, '\0')},
        {"three bytes of zero", REG_DWORD, std::string(3, '\0')},
        {"eight bytes of zero", REG_DWORD, std::string(8, '\0')},
        {"a string", REG_SZ, std::string("0\0", 2)},
        {"binary zero", REG_BINARY, std::string(4, '\0')},
    };
    for (const BadValue& bad : values) {
        CAPTURE(bad.description);
        HotSyncBench bench;
        win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
        for (const char* name : {settings::kFromPCToPalm, settings::kFromPalmToPC}) {
            RegDeleteValueA(key.get(), name);
            if (!bad.bytes.empty()) {
                RegSetValueExA(key.get(), name, 0, bad.type, reinterpret_cast<const BYTE*>(bad.bytes.data()),
                               static_cast<DWORD>(bad.bytes.size()));
            }
        }
        bench.OnHandheld(
            [] { REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 11), "old on palm")); });
        bench.Track("notes.txt", "old on palm");
        bench.PutOutgoing("notes.txt", "new from the PC");
        REQUIRE(WriteBytes(bench.inbox("letter.txt"), "old on the PC"));
        bench.Track("letter.txt", "old on the PC");
        bench.PutQueued("letter.txt", "new from the palm");

        HotSyncRun run = bench.Run({"--answer", "yes"});

        CHECK(run.questions.empty());
        CHECK(HandheldData(bench, "notes.txt") == "old on palm");
        CHECK(ReadBytes(bench.outbox("notes.txt")) == std::string("new from the PC"));
        CHECK(ReadBytes(bench.inbox("letter.txt")) == std::string("old on the PC"));
        CHECK(run.Warned(settings::kFromPCToPalm));
        CHECK(run.Warned(settings::kFromPalmToPC));
        bench.CheckNothingLost();
    }
}

TEST_CASE("an archiver value that cannot be read sends uncompressed") {
    ArchiverRegistration zip(settings::WinZip, TestArchiverPath(settings::WinZip));
    HotSyncBench bench(settings::Overwrite, settings::Overwrite, settings::WinZip);
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
    const BYTE twoBytes[2] = {1, 0};
    RegSetValueExA(key.get(), settings::kArchiver, 0, REG_DWORD, twoBytes, sizeof(twoBytes));
    bench.PutOutgoing("a.txt", "plain");
    HotSyncRun run = bench.Run();
    CHECK(HandheldData(bench, "a.txt") == "plain");
    CHECK(ArchiverLog(settings::WinZip).empty());
    CHECK(run.Warned(settings::kArchiver));
    bench.CheckNothingLost();
}

TEST_CASE("a PC name that does not survive the ANSI code page stays on the PC") {
    if (GetACP() == CP_UTF8) {
        return;
    }
    SUBCASE("a look-alike of another file's name") {
        HotSyncBench bench;
        // a-macron becomes a plain "a" in the ANSI code page: the 8-bit name is nota.txt's.
        std::wstring lookAlike = win::ToWide(bench.outbox()) + L"\\not\u0101.txt";
        REQUIRE(WriteBytes(lookAlike, "the macron file"));
        bench.PutOutgoing("nota.txt", "the plain file");
        HotSyncRun run = bench.Run();
        CHECK(ReadBytes(lookAlike) == std::string("the macron file"));
        CHECK(HandheldData(bench, "nota.txt") == "the plain file");
        CHECK(run.warnings.size() == 1);
        bench.CheckNothingLost();
        DeleteFileW(lookAlike.c_str());
    }
    SUBCASE("a name with characters the code page lacks") {
        HotSyncBench bench;
        std::wstring omega = win::ToWide(bench.outbox()) + L"\\\u03A9mega.txt";
        REQUIRE(WriteBytes(omega, "omega"));
        HotSyncRun run = bench.Run();
        CHECK(ReadBytes(omega) == std::string("omega"));
        CHECK(run.warnings.size() == 1);
        bench.OnHandheld([] { CHECK_FALSE(DatabaseExists("?mega.txt")); });
        DeleteFileW(omega.c_str());
    }
}

TEST_CASE("a received name that the file system resolves to another file is passed over") {
    HotSyncBench bench;
    std::string longName = "A Long File Name.document";
    REQUIRE(WriteBytes(bench.inbox(longName), "the PC's document"));
    bench.Track(longName, "the PC's document");
    // The alias the file system gives the long name (Wine makes its own, never assert its form).
    WIN32_FIND_DATAA found = {};
    win::FindHandle listing(FindFirstFileA(bench.inbox(longName).c_str(), &found));
    REQUIRE(listing);
    std::string shortName = found.cAlternateFileName;
    if (shortName.empty()) {
        char shortPath[MAX_PATH] = {};
        DWORD length = GetShortPathNameA(bench.inbox(longName).c_str(), shortPath, MAX_PATH);
        CAPTURE(GetLastError());
        REQUIRE(length > 0);
        shortName = std::string(shortPath).substr(std::string(shortPath).rfind('\\') + 1);
    }
    CAPTURE(shortName);
    REQUIRE(shortName != longName);
    REQUIRE(shortName.size() <= 12);
    bench.PutQueued(shortName, "the handheld's file");

    HotSyncRun run = bench.Run();

    CHECK(ReadBytes(bench.inbox(longName)) == std::string("the PC's document"));
    CHECK(Entries(bench.inbox()) == std::set<std::string>{longName});
    CHECK(run.Warned(shortName));
    bench.CheckNothingLost();
}

TEST_CASE("a queue whose record 0 is shorter than 4 bytes is kept") {
    for (const std::string& count :
         {std::string(), std::string("\0", 1), std::string("\0\1", 2), std::string("\0\0\1", 3)}) {
        CAPTURE(count.size());
        HotSyncBench bench;
        bench.OnHandheld([&] {
            REQUIRE(PutFileDatabase("fine.txt", MakeHeader("fine.txt", 4), "data"));
            REQUIRE(CreateDatabase(kQueueDatabaseName, 0x44415441, layout::kCreatorIdNumber,
                                   {count, "fine.txt"}));
        });
        bench.Track("fine.txt", "data");
        HotSyncRun run = bench.Run();
        CHECK(OnHandheld(bench, kQueueDatabaseName));
        CHECK(Entries(bench.inbox()).empty());
        CHECK(run.Warned(kQueueDatabaseName));
        bench.CheckNothingLost();
    }
}

TEST_CASE("another application's DaTa database of the same name is never questioned or replaced") {
    HotSyncBench bench(settings::Overwrite, settings::Ask);
    bench.OnHandheld([] {
        REQUIRE(CreateDatabase("notes.txt", kFileDatabaseType, 0x6F746872 /* 'othr' */, {"someone else's"}));
    });
    bench.PutOutgoing("notes.txt", "new notes");
    HotSyncRun run = bench.Run({"--answer", "yes"});
    CHECK(run.questions.empty());
    bench.OnHandheld([] {
        CHECK(ReadRecords("notes.txt") == std::vector<std::string>{"someone else's"});
        CHECK(FindDatabase("notes.txt")->creator == 0x6F746872);
    });
    CHECK(ReadBytes(bench.outbox("notes.txt")) == std::string("new notes"));
    CHECK(run.Warned("notes.txt"));
    bench.CheckNothingLost();
}

TEST_CASE("hostile names from the handheld land nowhere but the incoming folder") {
    for (const char* name : {"..\\evil.txt", "CON", "a\x01.txt", "$$temp$$.rar", "C:\\evil.txt"}) {
        CAPTURE(name);
        HotSyncBench bench;
        FileHeader header = MakeHeader("x", 4);
        std::memset(header.name, 0, sizeof(header.name));
        std::memset(header.extension, 0, sizeof(header.extension));
        std::memcpy(header.name, name, std::min(std::strlen(name), sizeof(header.name)));
        bench.OnHandheld([&] {
            REQUIRE(PutFileDatabase("queued", header, "evil"));
            REQUIRE(QueueForPc({"queued"}));
        });
        HotSyncRun run = bench.Run();
        CHECK(run.ended);
        CHECK(Entries(bench.inbox()).empty());
        CHECK(Entries(bench.root()).count("evil.txt") == 0);
        CHECK(run.warnings.size() == 1);
        bench.OnHandheld([] { CHECK(DatabaseExists("queued")); });
    }
}

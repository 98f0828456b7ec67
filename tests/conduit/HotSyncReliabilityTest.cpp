// Reliability, end to end: the real hotsync.exe, the conduit and the emulated handheld, with failing
// archivers, conflicts, one folder for both directions and HotSyncs killed midway. After every case
// each file involved is whole on at least one side, and nothing of the conduit's is left behind.
#include "conduit/FileHeader.h"
#include "conduit/PcFiles.h"
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/OutgoingFolder.h"
#include "bench/HotSyncBench.h"
#include "win/FileSystem.h"

#include <doctest/doctest.h>

#include <cstring>

using namespace end_to_end;
using namespace transfer_test;

namespace {

// Large enough that a kill lands in the middle: 3 MB are 92 data records.
const std::string& LargeData() {
    static const std::string data = Pattern(3 * 1024 * 1024, 31);
    return data;
}

void PutOldDatabase(const HotSyncBench& bench, const std::string& name, const std::string& data) {
    bench.OnHandheld(
        [&] { REQUIRE(PutFileDatabase(name, MakeHeader(name, static_cast<DWORD>(data.size())), data)); });
}

// What a conduit killed midway leaves: its marked folder with half-written files in the work
// subfolder.
void PutLeftover(const std::string& folder, const std::string& name) {
    std::string leftover = Join(folder, name);
    REQUIRE(CreateDirectoryA(leftover.c_str(), nullptr));
    REQUIRE(WriteBytes(Join(leftover, PrivateFolder::kMarkerName), PrivateFolder::kSignature));
    REQUIRE(CreateDirectoryA(Join(leftover, "work").c_str(), nullptr));
    REQUIRE(WriteBytes(Join(leftover, "work\\$$temp$$.zip"), "half an archive"));
    REQUIRE(WriteBytes(Join(leftover, "work\\incoming.tmp"), "half a file"));
}

// A user's own folder named like the conduit's working folder, with two files of theirs.
void PutUsersFolder(const std::string& folder, const std::string& name) {
    std::string users = Join(folder, name);
    REQUIRE(CreateDirectoryA(users.c_str(), nullptr));
    REQUIRE(WriteBytes(Join(users, "diary.txt"), "the user's diary"));
    REQUIRE(WriteBytes(Join(users, "~KestrinConduit.sig"), "the user's own signature file"));
}

void CheckUsersFolder(const std::string& folder, const std::string& name) {
    std::string users = Join(folder, name);
    CAPTURE(users);
    CHECK(Entries(users) == std::set<std::string>{"diary.txt", "~KestrinConduit.sig"});
    CHECK(ReadBytes(Join(users, "diary.txt")) == std::string("the user's diary"));
    CHECK(ReadBytes(Join(users, "~KestrinConduit.sig")) == std::string("the user's own signature file"));
}

// The handheld application's transfer-count preference.
void StorePreference(const HotSyncBench& bench, const std::string& bytes) {
    bench.OnHandheld([&] {
        std::string data = bytes;
        CSyncPreference preference = {};
        preference.m_Version = 4;
        preference.m_Creator = layout::kCreatorIdNumber;
        preference.m_Backup = 1;
        preference.m_dwDataSize = static_cast<DWORD>(data.size());
        preference.m_pData = reinterpret_cast<BYTE*>(data.data());
        REQUIRE(SyncWriteAppPreference(&preference) == 0);
    });
}

// A user's own file in each folder, named like something of the conduit's: one HotSync with a file
// to send and a compressed one to receive beside them leaves both untouched and the user's
// outgoing file unsent, and moves the other two.
void MoveBesideUsersFiles(HotSyncBench& bench, const std::string& outgoingName,
                          const std::string& incomingName, unsigned seed) {
    REQUIRE(WriteBytes(bench.outbox(outgoingName), "the user's file"));
    REQUIRE(WriteBytes(bench.inbox(incomingName), "the user's other file"));
    bench.Track(outgoingName, "the user's file");
    bench.PutOutgoing("report.doc", Pattern(3000, seed));
    bench.PutQueued("letter.doc", Pattern(3000, seed + 1), settings::WinZip);
    HotSyncRun run = bench.Run();
    CHECK(ReadBytes(bench.outbox(outgoingName)) == std::string("the user's file"));
    CHECK(ReadBytes(bench.inbox(incomingName)) == std::string("the user's other file"));
    CHECK(Entries(bench.outbox()) == std::set<std::string>{outgoingName});
    CHECK(ReadBytes(bench.inbox("letter.doc")) == Pattern(3000, seed + 1));
    CHECK(OnHandheld(bench, "report.doc"));
    CHECK_FALSE(OnHandheld(bench, outgoingName));
    CHECK(run.Warned(outgoingName));
    bench.CheckNothingLost();
}

const std::vector<std::string> kStartAndEndOnly = {"  [19 sync started] \"\"",
                                                   "  [20 sync finished] \"KestrinConduit\""};

} // namespace

TEST_CASE("compressed files coming in expand in a private folder and replace only what expanded") {
    struct Case {
        const char* name;
        DWORD fromPalmToPC;
        HotSyncOptions options;
        bool damaged; // the archive on the handheld has a byte changed in its middle
        bool replaces;
        std::vector<std::string> questions;
    };
    const std::vector<Case> cases = {
        {"an archive that expands replaces the PC's file under Overwrite",
         settings::Overwrite,
         {},
         false,
         true,
         {}},
        {"an archiver that fails leaves the PC's file as it was, nothing beside it, and a warning",
         settings::Overwrite,
         {{}, false, "fail"},
         false,
         false,
         {}},
        {"a damaged archive leaves the PC's file as it was", settings::Overwrite, {}, true, false, {}},
        {"Ask answered No keeps the PC's file; the expanded file is discarded",
         settings::Ask,
         {{"--answer", "no"}, false, std::nullopt},
         false,
         false,
         {"File notes.txt already exists on your PC! Overwrite?"}},
    };
    SUBCASE("by each archiver: the file replaces the PC's only when it expanded and may replace it") {
        for (const Case& c : cases) {
            for (auto archiver : {settings::WinZip, settings::WinRar}) {
                CAPTURE(c.name);
                CAPTURE(archiver);
                ArchiverRegistration registration(archiver, TestArchiverPath(archiver));
                HotSyncBench bench(c.fromPalmToPC);
                REQUIRE(WriteBytes(bench.inbox("notes.txt"), "old notes"));
                if (!c.replaces) {
                    bench.Track("notes.txt", "old notes");
                }
                if (c.damaged) {
                    std::string archive = MakeArchive(archiver, "notes.txt", Pattern(9000, 3));
                    archive[archive.size() / 2] ^= 0x5A;
                    bench.OnHandheld([&] {
                        REQUIRE(
                            PutFileDatabase("notes.txt", MakeHeader("notes.txt", 9000, archiver), archive));
                        REQUIRE(QueueForPc({"notes.txt"}));
                    });
                } else {
                    bench.PutQueued("notes.txt", Pattern(70000, 1), archiver);
                }
                HotSyncRun run = bench.Run(c.options);
                CHECK(ReadBytes(bench.inbox("notes.txt")) == (c.replaces ? Pattern(70000, 1) : "old notes"));
                CHECK(Entries(bench.inbox()) == std::set<std::string>{"notes.txt"});
                CHECK(run.questions == c.questions);
                if (c.replaces) {
                    CHECK(run.logLines == kStartAndEndOnly);
                } else if (c.questions.empty()) {
                    CHECK(run.Warned("notes.txt"));
                }
                bench.CheckNothingLost();
                bench.CheckNoStrayFile();
            }
        }
    }
    SUBCASE("an archiver that is not installed passes the file over before the PC is touched") {
        ArchiverRegistration none(settings::WinZip, std::nullopt);
        HotSyncBench bench;
        REQUIRE(WriteBytes(bench.inbox("notes.txt"), "old notes"));
        bench.Track("notes.txt", "old notes");
        bench.PutQueued("notes.txt", Pattern(4000, 5), settings::WinZip);
        HotSyncRun run = bench.Run();
        CHECK(ReadBytes(bench.inbox("notes.txt")) == std::string("old notes"));
        CHECK(run.Warned("notes.txt"));
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
}

TEST_CASE("sending over an existing database deletes it only once the new one is ready") {
    SUBCASE("the archiver fails: the handheld's old database stays") {
        ArchiverRegistration registration(settings::WinZip, TestArchiverPath(settings::WinZip));
        HotSyncBench bench(settings::Overwrite, settings::Overwrite, settings::WinZip);
        PutOldDatabase(bench, "report.doc", "old report");
        bench.Track("report.doc", "old report");
        bench.PutOutgoing("report.doc", Pattern(20000, 6));
        HotSyncOptions options;
        options.archiverMode = "fail";
        HotSyncRun run = bench.Run(options);
        CHECK(HandheldData(bench, "report.doc") == "old report");
        CHECK(ReadBytes(bench.outbox("report.doc")) == Pattern(20000, 6));
        CHECK(run.Warned("report.doc"));
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
    SUBCASE("the source cannot be opened: the handheld's old database stays") {
        HotSyncBench bench;
        PutOldDatabase(bench, "report.doc", "old report");
        bench.Track("report.doc", "old report");
        bench.PutOutgoing("report.doc", Pattern(20000, 7));
        win::File holder(CreateFileA(bench.outbox("report.doc").c_str(), GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        REQUIRE(holder);
        HotSyncRun run = bench.Run();
        holder.reset();
        CHECK(HandheldData(bench, "report.doc") == "old report");
        CHECK(run.Warned("report.doc"));
        bench.CheckNothingLost();
    }
    SUBCASE("the old database's space counts as free; a new one that does not fit even there leaves both") {
        // The new file needs 50 278 bytes; the old database takes 40 168.
        for (std::string freeRam : {"10110", "10109", "1000"}) {
            CAPTURE(freeRam);
            bool fits = freeRam == "10110";
            HotSyncBench bench;
            PutOldDatabase(bench, "report.doc", Pattern(40000, 8));
            if (!fits) {
                bench.Track("report.doc", Pattern(40000, 8));
            }
            bench.PutOutgoing("report.doc", Pattern(50000, 8));
            HotSyncRun run = bench.Run({"--free-ram", freeRam});
            CHECK(HandheldData(bench, "report.doc") == (fits ? Pattern(50000, 8) : Pattern(40000, 8)));
            CHECK(win::FileExists(bench.outbox("report.doc")) == !fits);
            CHECK(run.warnings.size() == (fits ? 0u : 1u));
            bench.CheckNothingLost();
        }
    }
    SUBCASE("Overwrite replaces it") {
        HotSyncBench bench;
        PutOldDatabase(bench, "report.doc", "old report");
        bench.PutOutgoing("report.doc", Pattern(20000, 9));
        HotSyncRun run = bench.Run();
        CHECK(HandheldData(bench, "report.doc") == Pattern(20000, 9));
        CHECK(Entries(bench.outbox()).empty());
        CHECK(run.logLines == kStartAndEndOnly);
        bench.CheckNothingLost();
    }
}

TEST_CASE("one handheld name takes one file per HotSync") {
    HotSyncBench bench(settings::Overwrite, settings::Ask);
    bench.PutOutgoing("Quarterly Report 2000.doc", Pattern(300, 10));
    bench.PutOutgoing("Quarterly Report 2001.doc", Pattern(300, 11));

    HotSyncRun first = bench.Run({"--answer", "yes"});
    CHECK(first.questions.empty());
    REQUIRE(Entries(bench.outbox()).size() == 1);
    std::string waiting = *Entries(bench.outbox()).begin();
    CHECK(first.Warned(waiting));
    bench.CheckNothingLost();

    // The next HotSync offers the second file under the policy.
    HotSyncRun second = bench.Run({"--answer", "no"});
    CHECK(second.questions ==
          std::vector<std::string>{"File Quarterly Re.doc already exists on your Palm Device! Overwrite?"});
    CHECK(Entries(bench.outbox()) == std::set<std::string>{waiting});
    bench.CheckNothingLost();
}

TEST_CASE("with one folder for both directions, what came in is not sent back") {
    SUBCASE("plain files") {
        HotSyncBench bench;
        win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
        settings::WriteString(key.get(), settings::kFolderForRFiles, bench.outbox());
        bench.PutQueued("from palm.txt", Pattern(40000, 12));
        bench.PutOutgoing("to palm.txt", Pattern(100, 13));
        HotSyncRun run = bench.Run();
        CHECK(ReadBytes(bench.outbox("from palm.txt")) == Pattern(40000, 12));
        CHECK(HandheldData(bench, "to palm.txt") == Pattern(100, 13));
        CHECK(Entries(bench.outbox()) == std::set<std::string>{"from palm.txt"});
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
    SUBCASE("an expanded file") {
        ArchiverRegistration registration(settings::WinRar, TestArchiverPath(settings::WinRar));
        HotSyncBench bench;
        win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
        settings::WriteString(key.get(), settings::kFolderForRFiles, bench.outbox() + "\\");
        bench.PutQueued("packed.txt", Pattern(5000, 14), settings::WinRar);
        HotSyncRun run = bench.Run();
        CHECK(ReadBytes(bench.outbox("packed.txt")) == Pattern(5000, 14));
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
}

TEST_CASE("a HotSync killed midway is completed by the next one, with nothing left behind") {
    SUBCASE("in the middle of a large send") {
        HotSyncBench bench;
        bench.PutOutgoing("large.bin", LargeData());
        HotSyncRun killed = bench.Run({"--kill-after", "write-record:20"});
        CHECK(killed.exitCode == 9);
        bench.CheckNothingLost();
        HotSyncRun next = bench.Run();
        CHECK(HandheldData(bench, "large.bin") == LargeData());
        CHECK(Entries(bench.outbox()).empty());
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
    SUBCASE("in the middle of a large send over an older copy, with Ask: the leftover is replaced unasked") {
        HotSyncBench bench(settings::Overwrite, settings::Ask);
        PutOldDatabase(bench, "large.bin", "old");
        bench.PutOutgoing("large.bin", LargeData());
        HotSyncRun killed = bench.Run({"--answer", "yes", "--kill-after", "write-record:20"});
        CHECK(killed.exitCode == 9);
        bench.CheckNothingLost();
        HotSyncRun next = bench.Run({"--answer", "no"});
        CHECK(next.questions.empty());
        CHECK(HandheldData(bench, "large.bin") == LargeData());
        CHECK(Entries(bench.outbox()).empty());
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
    SUBCASE("in the middle of a large receive") {
        HotSyncBench bench;
        bench.PutQueued("large.bin", LargeData());
        HotSyncRun killed = bench.Run({"--kill-after", "read-record:30"});
        CHECK(killed.exitCode == 9);
        bench.CheckNothingLost();
        HotSyncRun next = bench.Run();
        CHECK(ReadBytes(bench.inbox("large.bin")) == LargeData());
        CHECK(Entries(bench.inbox()) == std::set<std::string>{"large.bin"});
        CHECK_FALSE(OnHandheld(bench, kQueueDatabaseName));
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
    SUBCASE("in the middle of a compression") {
        ArchiverRegistration registration(settings::WinZip, TestArchiverPath(settings::WinZip));
        HotSyncBench bench(settings::Overwrite, settings::Overwrite, settings::WinZip);
        bench.PutOutgoing("packed.doc", Pattern(60000, 15));
        HotSyncOptions options;
        options.killWhileArchiverRuns = true;
        bench.Run(options);
        bench.CheckNothingLost();
        HotSyncRun next = bench.Run();
        CHECK(Entries(bench.outbox()).empty());
        CHECK(OnHandheld(bench, "packed.doc"));
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
    SUBCASE("in the middle of an expansion") {
        ArchiverRegistration registration(settings::WinRar, TestArchiverPath(settings::WinRar));
        HotSyncBench bench;
        REQUIRE(WriteBytes(bench.inbox("packed.doc"), "older"));
        bench.PutQueued("packed.doc", Pattern(60000, 16), settings::WinRar);
        HotSyncOptions options;
        options.killWhileArchiverRuns = true;
        bench.Run(options);
        CHECK(ReadBytes(bench.inbox("packed.doc")) == std::string("older"));
        bench.CheckNothingLost();
        HotSyncRun next = bench.Run();
        CHECK(ReadBytes(bench.inbox("packed.doc")) == Pattern(60000, 16));
        CHECK(Entries(bench.inbox()) == std::set<std::string>{"packed.doc"});
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
}

TEST_CASE("leftovers of an interrupted HotSync are recognised") {
    SUBCASE("a database of ours without a header record counts as absent") {
        HotSyncBench bench(settings::Overwrite, settings::Ask);
        bench.OnHandheld(
            [] { REQUIRE(CreateDatabase("notes.txt", kFileDatabaseType, layout::kCreatorIdNumber, {})); });
        bench.PutOutgoing("notes.txt", "new notes");
        HotSyncRun run = bench.Run({"--answer", "no"});
        CHECK(run.questions.empty());
        CHECK(HandheldData(bench, "notes.txt") == "new notes");
        bench.CheckNothingLost();
    }
    SUBCASE("a database of ours whose header size does not match its data counts as absent") {
        HotSyncBench bench(settings::Overwrite, settings::DoNothing);
        bench.OnHandheld([] {
            REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 70000), Pattern(32768, 17)));
        });
        bench.PutOutgoing("notes.txt", "new notes");
        HotSyncRun run = bench.Run();
        CHECK(HandheldData(bench, "notes.txt") == "new notes");
        bench.CheckNothingLost();
    }
    SUBCASE("a whole database of ours still meets the policy") {
        HotSyncBench bench(settings::Overwrite, settings::DoNothing);
        PutOldDatabase(bench, "notes.txt", "old notes");
        bench.Track("notes.txt", "old notes");
        bench.PutOutgoing("notes.txt", "new notes");
        HotSyncRun run = bench.Run();
        CHECK(HandheldData(bench, "notes.txt") == "old notes");
        CHECK(ReadBytes(bench.outbox("notes.txt")) == std::string("new notes"));
        CHECK(run.Warned("notes.txt"));
        bench.CheckNothingLost();
    }
    SUBCASE("the conduit's working folders are removed from both folders") {
        HotSyncBench bench;
        for (const std::string& folder : {bench.outbox(), bench.inbox()}) {
            PutLeftover(folder, "~KestrinConduit.tmp");
            // Made by a conduit killed before it could mark it, or while it marked it.
            REQUIRE(CreateDirectoryA(Join(folder, "~KestrinConduit3.tmp").c_str(), nullptr));
            for (const char* name : {"~KestrinConduit4.tmp", "~KestrinConduit5.tmp"}) {
                REQUIRE(CreateDirectoryA(Join(folder, name).c_str(), nullptr));
            }
            REQUIRE(WriteBytes(Join(folder, "~KestrinConduit4.tmp\\~KestrinConduit.sig"), ""));
            REQUIRE(WriteBytes(Join(folder, "~KestrinConduit5.tmp\\~KestrinConduit.sig"), "Kestrin cond"));
        }
        bench.PutQueued("in.txt", "in");
        bench.PutOutgoing("out.txt", "out");
        HotSyncRun run = bench.Run();
        CHECK(Entries(bench.outbox()).empty());
        CHECK(Entries(bench.inbox()) == std::set<std::string>{"in.txt"});
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
    SUBCASE("a user's file named like the temporary archive is never touched and blocks nothing") {
        ArchiverRegistration zip(settings::WinZip, TestArchiverPath(settings::WinZip));
        HotSyncBench bench(settings::Overwrite, settings::Overwrite, settings::WinZip);
        MoveBesideUsersFiles(bench, "$$temp$$.zip", "$$temp$$.zip", 18);
    }
}

TEST_CASE("a user's file or folder named like the conduit's working folder is never touched") {
    ArchiverRegistration zip(settings::WinZip, TestArchiverPath(settings::WinZip));
    SUBCASE("a user's folder in both folders: every file still moves, compressed") {
        HotSyncBench bench(settings::Overwrite, settings::Overwrite, settings::WinZip);
        PutUsersFolder(bench.outbox(), "~KestrinConduit.tmp");
        PutUsersFolder(bench.inbox(), "~KestrinConduit.tmp");
        bench.PutOutgoing("report.doc", Pattern(3000, 40));
        bench.PutQueued("letter.doc", Pattern(3000, 41), settings::WinZip);
        for (int round = 0; round < 2; ++round) {
            CAPTURE(round);
            HotSyncRun run = bench.Run();
            CHECK(run.logLines == kStartAndEndOnly);
            CheckUsersFolder(bench.outbox(), "~KestrinConduit.tmp");
            CheckUsersFolder(bench.inbox(), "~KestrinConduit.tmp");
            CHECK(Entries(bench.outbox()) == std::set<std::string>{"~KestrinConduit.tmp"});
            CHECK(Entries(bench.inbox()) == std::set<std::string>{"~KestrinConduit.tmp", "letter.doc"});
            CHECK(ReadBytes(bench.inbox("letter.doc")) == Pattern(3000, 41));
            CHECK(OnHandheld(bench, "report.doc"));
            bench.CheckNothingLost();
            bench.CheckNoStrayFile();
        }
    }
    SUBCASE("a user's file in the outgoing folder stays unsent and blocks no compression") {
        HotSyncBench bench(settings::Overwrite, settings::Overwrite, settings::WinZip);
        MoveBesideUsersFiles(bench, "~KestrinConduit.tmp", "~kestrinconduit.TMP", 43);
        CHECK(Entries(bench.inbox()) == std::set<std::string>{"~kestrinconduit.TMP", "letter.doc"});
        bench.CheckNoStrayFile();
    }
    SUBCASE("a real leftover beside a user's folder is removed; the user's folder stays") {
        HotSyncBench bench(settings::Overwrite, settings::Overwrite, settings::WinZip);
        for (const std::string& folder : {bench.outbox(), bench.inbox()}) {
            PutUsersFolder(folder, "~KestrinConduit.tmp");
            PutLeftover(folder, "~KestrinConduit1.tmp");
        }
        bench.PutOutgoing("report.doc", Pattern(3000, 45));
        bench.PutQueued("letter.doc", Pattern(3000, 46), settings::WinZip);
        HotSyncRun run = bench.Run();
        CheckUsersFolder(bench.outbox(), "~KestrinConduit.tmp");
        CheckUsersFolder(bench.inbox(), "~KestrinConduit.tmp");
        CHECK(Entries(bench.outbox()) == std::set<std::string>{"~KestrinConduit.tmp"});
        CHECK(Entries(bench.inbox()) == std::set<std::string>{"~KestrinConduit.tmp", "letter.doc"});
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
    SUBCASE("with every working-folder name taken, what needs the folder waits and the rest moves") {
        HotSyncBench bench(settings::Overwrite, settings::Overwrite, settings::WinZip);
        for (int index = 0; index < settings::kWorkingFolderNames; ++index) {
            PutUsersFolder(bench.outbox(), settings::WorkingFolderName(index));
            PutUsersFolder(bench.inbox(), settings::WorkingFolderName(index));
        }
        bench.PutOutgoing("report.doc", Pattern(3000, 47));
        bench.PutQueued("plain.txt", Pattern(2000, 49));
        HotSyncRun run = bench.Run();
        for (int index = 0; index < settings::kWorkingFolderNames; ++index) {
            CheckUsersFolder(bench.outbox(), settings::WorkingFolderName(index));
            CheckUsersFolder(bench.inbox(), settings::WorkingFolderName(index));
        }
        CHECK(ReadBytes(bench.outbox("report.doc")) == Pattern(3000, 47));
        CHECK_FALSE(OnHandheld(bench, "report.doc"));
        CHECK(run.Warned("report.doc"));
        CHECK(run.Warned("plain.txt"));
        CHECK_FALSE(win::PathExists(bench.inbox("plain.txt")));
        bench.CheckNothingLost();
        bench.CheckNoStrayFile();
    }
}

TEST_CASE("the transfer-count preference keeps the handheld application's bytes") {
    auto loadPreference = [](const HotSyncBench& bench) {
        std::string data(200, '\0');
        bench.OnHandheld([&] {
            CSyncPreference preference = {};
            preference.m_Creator = layout::kCreatorIdNumber;
            preference.m_ReqBytes = 200;
            preference.m_Backup = 1;
            preference.m_dwDataSize = 200;
            preference.m_pData = reinterpret_cast<BYTE*>(data.data());
            REQUIRE(SyncReadAppPreference(&preference) == 0);
            data.resize(preference.m_RetBytes);
        });
        return data;
    };
    SUBCASE("a read that fails writes nothing") {
        HotSyncBench bench;
        StorePreference(bench, Pattern(42, 20));
        bench.PutOutgoing("a.txt", "a");
        bench.Run({"--fail", "read-preference:1"});
        CHECK(loadPreference(bench) == Pattern(42, 20));
        bench.CheckNothingLost();
    }
    SUBCASE("a longer preference is written back whole with the counts changed") {
        HotSyncBench bench;
        StorePreference(bench, Pattern(80, 21));
        bench.PutOutgoing("a.txt", "a");
        bench.PutOutgoing("b.txt", "b");
        bench.PutQueued("c.txt", "c");
        bench.Run();
        std::string expected = Pattern(80, 21);
        expected.replace(0, 4, std::string("\0\2\0\1", 4));
        CHECK(loadPreference(bench) == expected);
        bench.CheckNothingLost();
    }
}

TEST_CASE("a HotSync in which nothing went wrong logs only its start and its end") {
    HotSyncBench bench;
    bench.PutOutgoing("a.txt", Pattern(5, 22));
    bench.PutQueued("b.txt", Pattern(5, 23));
    HotSyncRun run = bench.Run();
    CHECK(run.exitCode == 0);
    CHECK(run.logLines == kStartAndEndOnly);
    bench.CheckNothingLost();
    bench.CheckNoStrayFile();
}

TEST_CASE("a HotSync killed at any stage of a send or a receive loses nothing") {
    SUBCASE("sending over an older copy") {
        // The host ends itself right after the conduit's Nth call of the operation.
        for (const char* stage : {"find:1", "open:1", "read-record:1", "delete:1", "card-info:1", "create:1",
                                  "write-record:1", "write-record:60", "write-record:97", "close:1"}) {
            std::string stageName = stage;
            CAPTURE(stageName);
            HotSyncBench bench;
            PutOldDatabase(bench, "large.bin", "old");
            bench.PutOutgoing("large.bin", LargeData());
            bench.Run({"--kill-after", stage});
            bench.CheckNothingLost();
            HotSyncRun next = bench.Run();
            CAPTURE(next.output);
            CHECK(HandheldData(bench, "large.bin") == LargeData());
            CHECK(Entries(bench.outbox()).empty());
            bench.CheckNothingLost();
            bench.CheckNoStrayFile();
        }
    }
    SUBCASE("receiving over an older copy") {
        for (const char* stage : {"open:1", "read-record:2", "open:2", "read-record:50", "delete:1"}) {
            std::string stageName = stage;
            CAPTURE(stageName);
            HotSyncBench bench;
            REQUIRE(WriteBytes(bench.inbox("large.bin"), "older"));
            bench.PutQueued("large.bin", LargeData());
            bench.Run({"--kill-after", stage});
            CHECK((ReadBytes(bench.inbox("large.bin")) == std::string("older") ||
                   ReadBytes(bench.inbox("large.bin")) == LargeData()));
            bench.CheckNothingLost();
            bench.Run();
            CHECK(ReadBytes(bench.inbox("large.bin")) == LargeData());
            CHECK_FALSE(OnHandheld(bench, kQueueDatabaseName));
            bench.CheckNothingLost();
            bench.CheckNoStrayFile();
        }
    }
}

TEST_CASE("a HotSync killed at any step of the handheld's own creating or committing loses nothing") {
    // The handheld creates the file database, commits it from memory (a small file) or from its new
    // file (a large one), then commits the transfer counts. Each run is killed at the next of those
    // steps, up to the first run that ends before it.
    for (const std::string& data : {Pattern(3000, 60), LargeData()}) {
        DWORD step = 0;
        for (bool killed = true; killed;) {
            ++step;
            CAPTURE(data.size());
            CAPTURE(step);
            HotSyncBench bench;
            StorePreference(bench, Pattern(42, 61));
            PutOldDatabase(bench, "file.bin", "old");
            bench.PutOutgoing("file.bin", data);
            killed = bench.Run({"--kill-at-step", std::to_string(step)}).exitCode == 9;
            bench.CheckHandheldWhole();
            bench.CheckNothingLost();
            bench.Run();
            CHECK(HandheldData(bench, "file.bin") == data);
            CHECK(Entries(bench.outbox()).empty());
            bench.CheckHandheldWhole();
            bench.CheckNothingLost();
            bench.CheckNoStrayFile();
        }
        CHECK(step > 9);
    }
}

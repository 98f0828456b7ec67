// The handheld-to-PC pass: the queue, the file databases it names, the FromPalmToPC policy and
// compressed files.
#include "conduit/Archiver.h"
#include "conduit/Passes.h"
#include "conduit/PcFiles.h"
#include "conduit/SyncDriver.h"
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "tests/archivers/ArchiveFormats.h"
#include "tests/conduit/TransferSupport.h"
#include "win/FileSystem.h"

#include <doctest/doctest.h>

using namespace transfer_test;

namespace {

// A file database as the handheld application leaves it, queued for the PC.
void PutAndQueue(const std::string& pcName, const std::string& data) {
    REQUIRE(PutFileDatabase(pcName, MakeHeader(pcName, static_cast<DWORD>(data.size())), data));
    REQUIRE(QueueForPc({pcName}));
}

} // namespace

TEST_CASE("without a queue database nothing happens, not even a change of directory") {
    TransferFixture sync;
    REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 3), "abc"));
    std::string before = CurrentDirectory();
    ReceiveFiles();
    CHECK(CurrentDirectory() == before);
    CHECK(Entries(sync.inbox()).empty());
    CHECK(EmuCallCount(emuOpen) == 1);
    CHECK(EmuCallCount(emuReadRecord) == 0);
    CHECK(session.receivedCount == 0);
}

TEST_CASE("a queue with no names is deleted and nothing is written") {
    TransferFixture sync;
    REQUIRE(QueueForPc({}));
    ReceiveFiles();
    CHECK_FALSE(DatabaseExists(kQueueDatabaseName));
    CHECK(Entries(sync.inbox()).empty());
    CHECK(EmuOpenDatabaseCount() == 0);
}

TEST_CASE("queued files are written into the incoming folder; their databases stay on the handheld") {
    TransferFixture sync;
    REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 11), "hello notes"));
    REQUIRE(PutFileDatabase("Quarterly Re.doc", MakeHeader("Quarterly Re.doc", 70000), Pattern(70000)));
    REQUIRE(PutFileDatabase("not queued", MakeHeader("not queued", 1), "x"));
    REQUIRE(QueueForPc({"notes.txt", "Quarterly Re.doc"}));
    std::string before = CurrentDirectory();

    ReceiveFiles();

    CHECK(Entries(sync.inbox()) == std::set<std::string>{"notes.txt", "Quarterly Re.doc"});
    CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("hello notes"));
    CHECK(ReadBytes(sync.inbox("Quarterly Re.doc")) == Pattern(70000));
    CHECK(session.receivedCount == 2);
    CHECK(DatabaseExists("notes.txt"));
    CHECK(DatabaseExists("Quarterly Re.doc"));
    CHECK_FALSE(DatabaseExists(kQueueDatabaseName));
    CHECK(CurrentDirectory() == before);
    CHECK(EmuOpenDatabaseCount() == 0);
}

TEST_CASE("a file ends at its first record shorter than 32 768 bytes") {
    TransferFixture sync;
    FileHeader header = MakeHeader("forty.bin", 40000);
    std::vector<std::string> records = FileRecords(header, Pattern(40000));
    records.push_back("trailing record that is not part of the file");
    REQUIRE(CreateDatabase("forty.bin", kFileDatabaseType, layout::kCreatorIdNumber, records));
    REQUIRE(QueueForPc({"forty.bin"}));

    ReceiveFiles();

    CHECK(ReadBytes(sync.inbox("forty.bin")) == Pattern(40000));
    // Queue: count and one name; file: header and two data records.
    CHECK(EmuCallCount(emuReadRecord) == 2 + 3);
}

TEST_CASE("a file whose size is a multiple of 32 768 arrives whole and counts") {
    TransferFixture sync;
    PutAndQueue("sixty-five.bin", Pattern(65536));
    ReceiveFiles();
    CHECK(ReadBytes(sync.inbox("sixty-five.bin")) == Pattern(65536));
    CHECK(session.receivedCount == 1);
}

TEST_CASE("an uncompressed file must arrive with exactly the header's size") {
    TransferFixture sync;
    WriteBytes(sync.inbox("notes.txt"), "the PC's notes");
    SUBCASE("fewer bytes than the header says") {
        REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 50000), Pattern(40000)));
    }
    SUBCASE("more bytes than the header says") {
        REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 10), Pattern(40000)));
    }
    SUBCASE("no data records at all") {
        REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 5), ""));
    }
    REQUIRE(QueueForPc({"notes.txt"}));

    ReceiveFiles();

    CHECK(Entries(sync.inbox()) == std::set<std::string>{"notes.txt"});
    CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("the PC's notes"));
    CHECK(session.receivedCount == 0);
}

TEST_CASE("an empty file arrives as an empty file") {
    TransferFixture sync;
    PutAndQueue("empty.txt", "");
    ReceiveFiles();
    CHECK(ReadBytes(sync.inbox("empty.txt")) == std::string());
    CHECK(session.receivedCount == 1);
}

TEST_CASE("a file that exists on the PC meets the FromPalmToPC policy") {
    TransferFixture sync;
    WriteBytes(sync.inbox("notes.txt"), "old notes");
    PutAndQueue("notes.txt", "new notes from the handheld");

    SUBCASE("Overwrite replaces it without a question") {
        QuestionAnswerer answerer(IDNO);
        session.settings.fromPalmToPC = settings::Overwrite;
        ReceiveFiles();
        CHECK(answerer.questions().empty());
        CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("new notes from the handheld"));
        CHECK(session.receivedCount == 1);
    }
    SUBCASE("a number other than 1 and 2 counts as Overwrite") {
        session.settings.fromPalmToPC = 5;
        ReceiveFiles();
        CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("new notes from the handheld"));
    }
    SUBCASE("DoNothing keeps the PC's file") {
        QuestionAnswerer answerer(IDYES);
        session.settings.fromPalmToPC = settings::DoNothing;
        ReceiveFiles();
        CHECK(answerer.questions().empty());
        CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("old notes"));
        CHECK(session.receivedCount == 0);
    }
    SUBCASE("Ask, answered No, keeps the PC's file; the database stays but is no longer queued") {
        QuestionAnswerer answerer(IDNO);
        session.settings.fromPalmToPC = settings::Ask;
        ReceiveFiles();
        REQUIRE(answerer.questions().size() == 1);
        CheckOverwriteQuestion(answerer.questions()[0],
                               "File notes.txt already exists on your PC! Overwrite?");
        CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("old notes"));
        CHECK(FileDatabaseData("notes.txt") == std::string("new notes from the handheld"));
        CHECK_FALSE(DatabaseExists(kQueueDatabaseName));
        CHECK(EmuOpenDatabaseCount() == 0);
    }
    SUBCASE("Ask, answered Yes, replaces it") {
        QuestionAnswerer answerer(IDYES);
        session.settings.fromPalmToPC = settings::Ask;
        ReceiveFiles();
        CHECK(answerer.questions().size() == 1);
        CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("new notes from the handheld"));
    }
    CHECK(Entries(sync.inbox()) == std::set<std::string>{"notes.txt"});
}

TEST_CASE("a folder of the PC name is not a file: no question, and it stays a folder") {
    TransferFixture sync;
    CreateDirectoryA(sync.inbox("notes.txt").c_str(), nullptr);
    PutAndQueue("notes.txt", "data");
    QuestionAnswerer answerer(IDYES);
    session.settings.fromPalmToPC = settings::Ask;

    ReceiveFiles();

    CHECK(answerer.questions().empty());
    CHECK_FALSE(win::FileExists(sync.inbox("notes.txt")));
    CHECK(win::PathExists(sync.inbox("notes.txt")));
    CHECK(Entries(sync.inbox()) == std::set<std::string>{"notes.txt"});
    CHECK(session.receivedCount == 0);
}

TEST_CASE(
    "a compressed file is expanded by the archiver its header names; the files it holds meet the policy") {
    TransferFixture sync;
    for (auto archiver : {settings::WinZip, settings::WinRar}) {
        CAPTURE(archiver);
        ArchiverRegistration registration(archiver, TestArchiverPath(archiver));
        std::string data = Pattern(90000, archiver);
        std::string archive = MakeArchive(archiver, "inner name.txt", data);
        REQUIRE_FALSE(archive.empty());
        // The header names notes.txt; the archive holds "inner name.txt".
        WriteBytes(sync.inbox("notes.txt"), "old notes");
        SyncDeleteDB("notes.txt", 0);
        REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 90000, archiver), archive));
        REQUIRE(QueueForPc({"notes.txt"}));
        QuestionAnswerer answerer(IDNO);
        session.settings.fromPalmToPC = settings::Ask;
        session.receivedCount = 0;

        ReceiveFiles();

        // Only a file the archive holds can replace a PC file: notes.txt stays, unasked.
        CHECK(answerer.texts().empty());
        CHECK(ArchiverLog(archiver) ==
              std::vector<std::string>{ExpandCommand(archiver, TestArchiverPath(archiver))});
        CHECK(Entries(sync.inbox()) == std::set<std::string>{"inner name.txt", "notes.txt"});
        CHECK(ReadBytes(sync.inbox("inner name.txt")) == data);
        CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("old notes"));
        CHECK(session.receivedCount == 1);

        // The next time the archive's file is there, and the question is about it.
        REQUIRE(QueueForPc({"notes.txt"}));
        ReceiveFiles();
        CHECK(answerer.texts() ==
              std::vector<std::string>{"File inner name.txt already exists on your PC! Overwrite?"});
        CHECK(session.receivedCount == 1);
        DeleteFileA(sync.inbox("inner name.txt").c_str());
    }
}

TEST_CASE("a compressed file whose archiver is not registered is passed over before the PC is touched") {
    TransferFixture sync;
    ArchiverRegistration none(settings::WinRar, std::nullopt);
    WriteBytes(sync.inbox("notes.txt"), "old notes");
    REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 10, settings::WinRar), "rar bytes."));
    REQUIRE(QueueForPc({"notes.txt"}));
    session.settings.fromPalmToPC = settings::Overwrite;

    ReceiveFiles();

    CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("old notes"));
    CHECK(Entries(sync.inbox()) == std::set<std::string>{"notes.txt"});
    CHECK(EmuOpenDatabaseCount() == 0);
    CHECK(DatabaseExists("notes.txt"));
    CHECK(session.receivedCount == 0);
}

TEST_CASE("an archive that does not expand leaves no temporary archive") {
    TransferFixture sync;
    ArchiverRegistration registration(settings::WinZip, TestArchiverPath(settings::WinZip));
    std::string archive = MakeArchive(settings::WinZip, "inner.txt", Pattern(5000));
    archive[archive.size() / 2] ^= 0x55;
    REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 5000, settings::WinZip), archive));
    REQUIRE(QueueForPc({"notes.txt"}));

    ReceiveFiles();

    CHECK(ArchiverLog(settings::WinZip).size() == 1);
    CHECK(Entries(sync.inbox()).empty());
}

TEST_CASE("an incoming folder that cannot be entered writes and deletes nothing, and keeps the queue") {
    TransferFixture sync;
    PutAndQueue("notes.txt", "data");
    WriteBytes("notes.txt", "a file in the current directory");
    std::string before = CurrentDirectory();

    SUBCASE("the folder value was missing or invalid") {
        session.settings.receiveFolder.reset();
    }
    SUBCASE("the folder does not exist") {
        session.settings.receiveFolder = sync.root() + "\\no such folder";
    }

    ReceiveFiles();

    CHECK(CurrentDirectory() == before);
    CHECK(ReadBytes("notes.txt") == std::string("a file in the current directory"));
    CHECK(Entries(".") == std::set<std::string>{"notes.txt"});
    CHECK(DatabaseExists(kQueueDatabaseName));
    CHECK(EmuCallCount(emuDelete) == 0);
    CHECK(EmuOpenDatabaseCount() == 0);
    CHECK(session.receivedCount == 0);
}

TEST_CASE("a user's file named like the temporary archive is never overwritten") {
    TransferFixture sync;
    ArchiverRegistration registration(settings::WinZip, TestArchiverPath(settings::WinZip));
    WriteBytes(sync.inbox("$$temp$$.zip"), "the user's own zip");

    SUBCASE("a compressed file is expanded beside it, out of its way") {
        std::string archive = MakeArchive(settings::WinZip, "inner.txt", "inner");
        REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 5, settings::WinZip), archive));
        REQUIRE(QueueForPc({"notes.txt"}));
        ReceiveFiles();
        CHECK(Entries(sync.inbox()) == std::set<std::string>{"$$temp$$.zip", "inner.txt"});
        CHECK(ReadBytes(sync.inbox("inner.txt")) == std::string("inner"));
    }
    SUBCASE("a file that carries the name itself is passed over") {
        PutAndQueue("$$temp$$.zip", "from the handheld");
        ReceiveFiles();
        CHECK(Entries(sync.inbox()) == std::set<std::string>{"$$temp$$.zip"});
        CHECK(ArchiverLog(settings::WinZip).empty());
    }

    CHECK(ReadBytes(sync.inbox("$$temp$$.zip")) == std::string("the user's own zip"));
}

TEST_CASE("the handheld-to-PC pass runs before the PC-to-handheld pass, in the host's own directory") {
    TransferFixture sync;
    StoredSettings stored(sync.outbox(), sync.inbox(), settings::Overwrite, settings::Ask,
                          settings::NoArchiver);
    PutAndQueue("notes.txt", "from the handheld");
    WriteBytes(sync.outbox("notes.txt"), "from the PC");
    auto currentDirectory = [] {
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        return std::string(current);
    };
    std::string hostDirectory = currentDirectory();
    std::vector<std::string> directoriesWhileAsked;
    QuestionAnswerer answerer(IDNO, [&] { directoriesWhileAsked.push_back(currentDirectory()); });

    CHECK(RunSynchronisation(IgnoreProgress, answerer.messageBox()) == 0);

    // The passes never make their folders the host's current directory, not even for a while.
    CHECK(directoriesWhileAsked == std::vector<std::string>{hostDirectory});
    CHECK(currentDirectory() == hostDirectory);

    // The handheld's file reached the PC before the PC's file met it on the handheld.
    CHECK(ReadBytes(sync.inbox("notes.txt")) == std::string("from the handheld"));
    CHECK(answerer.texts() == std::vector<std::string>{"File notes.txt already exists on your Palm Device! "
                                                       "Overwrite?"});
    CHECK(ReadBytes(sync.outbox("notes.txt")) == std::string("from the PC"));
}

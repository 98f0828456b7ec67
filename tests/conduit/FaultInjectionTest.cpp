// Fault injection: every Sync Manager call of a multi-record send and receive fails in turn, and the
// PC file operations that can be made to fail do. After each synchronisation every file is whole on
// at least one side, no partial file sits under a real name, and a later synchronisation without
// faults finishes the work.
#include "conduit/Archiver.h"
#include "conduit/PcFiles.h"
#include "conduit/SyncDriver.h"
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "tests/conduit/TransferSupport.h"
#include "win/FileSystem.h"

#include <doctest/doctest.h>

#include <map>

using namespace transfer_test;

namespace {

const char* const kOperationNames[] = {
    "register",    "open", "create",    "close",           "delete",          "write record",
    "read record", "find", "card info", "read preference", "write preference"};
const int kTransferOperations[] = {emuOpen,        emuCreate,     emuClose, emuDelete,
                                   emuWriteRecord, emuReadRecord, emuFind,  emuCardInfo};

// 100 000 bytes: a header and four data records.
const std::string& NewData() {
    static const std::string data = Pattern(100000, 11);
    return data;
}
const std::string& OldData() {
    static const std::string data = Pattern(45000, 12);
    return data;
}

std::map<int, DWORD> CallCounts() {
    std::map<int, DWORD> counts;
    for (int operation : kTransferOperations) {
        counts[operation] = EmuCallCount(operation);
    }
    return counts;
}

// Runs `pass` once with the nth call of each operation failing, for every call the pass makes
// without faults; `setUp` prepares a fresh synchronisation and `check` judges it.
template <class SetUp, class Pass, class Check> void FailEachCallInTurn(SetUp setUp, Pass pass, Check check) {
    std::map<int, DWORD> counts;
    {
        TransferFixture sync;
        setUp(sync);
        std::map<int, DWORD> before = CallCounts();
        pass();
        for (auto& [operation, count] : CallCounts()) {
            counts[operation] = count - before[operation];
        }
    }
    for (auto& [operation, count] : counts) {
        for (DWORD nth = 1; nth <= count; ++nth) {
            CAPTURE(kOperationNames[operation]);
            CAPTURE(nth);
            TransferFixture sync;
            setUp(sync);
            EmuFailCall(operation, nth);
            pass();
            EmuClearFaults();
            check(sync);
        }
    }
}

// The file is whole on the PC, or whole on the handheld and gone from the PC; the handheld holds
// no partial database, and the outgoing folder nothing but the file.
void CheckSendOutcome(const TransferFixture& sync, const std::string& name, bool hadOldDatabase) {
    std::optional<std::string> pc = ReadBytes(sync.outbox(name));
    std::optional<std::string> handheld = FileDatabaseData(name);
    CHECK((pc == NewData() || handheld == NewData()));
    if (pc) {
        CHECK(pc == NewData());
        CHECK(Entries(sync.outbox()) == std::set<std::string>{name});
    } else {
        CHECK(Entries(sync.outbox()).empty());
        CHECK(session.sentCount == 1);
    }
    if (handheld) {
        CHECK((handheld == NewData() || (hadOldDatabase && handheld == OldData())));
    }
    CHECK(EmuOpenDatabaseCount() == 0);
}

void CheckSentAfterRetry(const TransferFixture& sync, const std::string& name) {
    SendFiles();
    CHECK(FileDatabaseData(name) == NewData());
    CHECK(Entries(sync.outbox()).empty());
}

void SetUpSend(TransferFixture& sync, bool withOldDatabase) {
    session.settings.fromPCToPalm = settings::Overwrite;
    if (withOldDatabase) {
        REQUIRE(PutFileDatabase("report.doc", MakeHeader("report.doc", 45000), OldData()));
    }
    REQUIRE(WriteBytes(sync.outbox("report.doc"), NewData()));
}

// The PC's older copy of the file, or the new one, byte for byte; never anything partial, and no
// temporary file left in the incoming folder. The handheld keeps its database.
void CheckReceiveOutcome(const TransferFixture& sync) {
    std::optional<std::string> pc = ReadBytes(sync.inbox("report.doc"));
    CHECK((pc == OldData() || pc == NewData()));
    CHECK(ReadBytes(sync.inbox("second.txt")).value_or("second") == "second");
    std::set<std::string> allowed{"report.doc", "second.txt"};
    for (const std::string& entry : Entries(sync.inbox())) {
        CAPTURE(entry);
        CHECK(allowed.count(entry) == 1);
    }
    CHECK(FileDatabaseData("report.doc") == NewData());
    CHECK(session.receivedCount ==
          (pc == NewData() ? 1 : 0) + (win::FileExists(sync.inbox("second.txt")) ? 1 : 0));
    CHECK(EmuOpenDatabaseCount() == 0);
}

void SetUpReceive(TransferFixture& sync) {
    session.settings.fromPalmToPC = settings::Overwrite;
    REQUIRE(WriteBytes(sync.inbox("report.doc"), OldData()));
    REQUIRE(PutFileDatabase("report.doc", MakeHeader("report.doc", 100000), NewData()));
    REQUIRE(PutFileDatabase("second.txt", MakeHeader("second.txt", 6), "second"));
    REQUIRE(QueueForPc({"report.doc", "second.txt"}));
}

} // namespace

TEST_CASE("a send survives the failure of any one Sync Manager call") {
    for (bool withOldDatabase : {false, true}) {
        CAPTURE(withOldDatabase);
        FailEachCallInTurn([&](TransferFixture& sync) { SetUpSend(sync, withOldDatabase); },
                           [] { SendFiles(); },
                           [&](TransferFixture& sync) {
                               CheckSendOutcome(sync, "report.doc", withOldDatabase);
                               CheckSentAfterRetry(sync, "report.doc");
                           });
    }
}

TEST_CASE("a compressed send survives the failure of any one Sync Manager call") {
    ArchiverRegistration registration(settings::WinZip, TestArchiverPath(settings::WinZip));
    FailEachCallInTurn(
        [](TransferFixture& sync) {
            SetUpSend(sync, false);
            session.settings.archiver = settings::WinZip;
            session.settings.archiverPath = TestArchiverPath(settings::WinZip);
        },
        [] { SendFiles(); },
        [](TransferFixture& sync) {
            // Either the original stays alone, or it went with its archive.
            std::set<std::string> left = Entries(sync.outbox());
            CHECK((left.empty() || left == std::set<std::string>{"report.doc"}));
            CHECK((left.empty() == DatabaseExists("report.doc")));
            if (!left.empty()) {
                CHECK(ReadBytes(sync.outbox("report.doc")) == NewData());
            }
            CHECK(EmuOpenDatabaseCount() == 0);
        });
}

TEST_CASE("a receive survives the failure of any one Sync Manager call") {
    FailEachCallInTurn(
        SetUpReceive, [] { ReceiveFiles(); },
        [](TransferFixture& sync) {
            CheckReceiveOutcome(sync);
            // A queue the failure kept is worked off by the next synchronisation.
            if (DatabaseExists(kQueueDatabaseName)) {
                session.receivedCount = 0;
                ReceiveFiles();
                CHECK(ReadBytes(sync.inbox("report.doc")) == NewData());
                CHECK(ReadBytes(sync.inbox("second.txt")) == std::string("second"));
            }
        });
}

TEST_CASE("a PC file that cannot be deleted after its send stays whole on both sides") {
    TransferFixture sync;
    SetUpSend(sync, false);
    win::File reader(CreateFileA(sync.outbox("report.doc").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(reader);
    SendFiles();
    reader.reset();
    CHECK(FileDatabaseData("report.doc") == NewData());
    CHECK(ReadBytes(sync.outbox("report.doc")) == NewData());
}

TEST_CASE("a PC file that cannot be replaced stays as it was, with nothing partial beside it") {
    TransferFixture sync;
    SetUpReceive(sync);
    // Held open by another program. (Wine, unlike Windows, replaces a read-only file.)
    win::File holder(CreateFileA(sync.inbox("report.doc").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(holder);

    ReceiveFiles();
    holder.reset();

    CHECK(ReadBytes(sync.inbox("report.doc")) == OldData());
    CHECK(Entries(sync.inbox()) == std::set<std::string>{"report.doc", "second.txt"});
    CHECK(session.receivedCount == 1);
}

TEST_CASE("an archiver that fails leaves the file on the handheld and no archive on the PC") {
    TransferFixture sync;
    ArchiverRegistration registration(settings::WinRar, TestArchiverPath(settings::WinRar));
    REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 4, settings::WinRar), "rar?"));
    REQUIRE(QueueForPc({"notes.txt"}));
    SetEnvironmentVariableA("KESTRIN_TEST_ARCHIVER", "fail");
    ReceiveFiles();
    SetEnvironmentVariableA("KESTRIN_TEST_ARCHIVER", nullptr);
    CHECK(ArchiverLog(settings::WinRar).size() == 1);
    CHECK(Entries(sync.inbox()).empty());
    CHECK(FileDatabaseData("notes.txt") == std::string("rar?"));
}

// The PC-to-handheld pass: which files go, the file databases they become, the overwrite policy,
// the free-memory test and compression.
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

#include <cstring>

using namespace transfer_test;

namespace {

std::vector<size_t> RecordSizes(const std::string& name) {
    std::vector<size_t> sizes;
    for (const std::string& record : ReadRecords(name).value_or(std::vector<std::string>())) {
        sizes.push_back(record.size());
    }
    return sizes;
}

FileHeader HeaderOf(const std::string& name) {
    FileHeader header = {};
    std::vector<std::string> records = ReadRecords(name).value_or(std::vector<std::string>());
    if (!records.empty() && records[0].size() == sizeof(header)) {
        std::memcpy(&header, records[0].data(), sizeof(header));
    }
    return header;
}

// Unpacks a transferred archive in a folder of its own and returns the file it holds.
std::optional<std::string> Unpack(settings::ArchiverChoice archiver, const std::string& archive,
                                  const std::string& fileName) {
    ScratchFolder folder("unpack");
    std::string previous = CurrentDirectory();
    SetCurrentDirectoryA(folder.path().c_str());
    WriteBytes("archive", archive);
    bool unpacked =
        archiver == settings::WinZip ? archive::UnpackZip("archive") : archive::UnpackRar("archive");
    std::optional<std::string> file = unpacked ? ReadBytes(fileName) : std::nullopt;
    SetCurrentDirectoryA(previous.c_str());
    return file;
}

struct SeenBox {
    HHOOK hook = nullptr;
    std::string caption;
    std::string text;
};
SeenBox seenBox;

// Reads the message box as it opens and answers No.
LRESULT CALLBACK AnswerNo(int code, WPARAM wParam, LPARAM lParam) {
    char className[64] = {};
    if (code == HCBT_ACTIVATE &&
        GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof(className)) &&
        std::string(className) == "#32770") {
        HWND box = reinterpret_cast<HWND>(wParam);
        char caption[128] = {};
        char text[512] = {};
        GetWindowTextA(box, caption, sizeof(caption));
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        seenBox.caption = caption;
        seenBox.text = text;
        PostMessageA(box, WM_COMMAND, IDNO, 0);
    }
    return CallNextHookEx(seenBox.hook, code, wParam, lParam);
}

} // namespace

TEST_CASE("the overwrite question is a real message box unless a test answers it") {
    TransferFixture sync;
    REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 3), "old"));
    WriteBytes(sync.outbox("notes.txt"), "new");
    session.settings.fromPCToPalm = settings::Ask;
    seenBox = SeenBox();
    seenBox.hook = SetWindowsHookExA(WH_CBT, AnswerNo, nullptr, GetCurrentThreadId());
    REQUIRE(seenBox.hook);

    SendFiles();
    UnhookWindowsHookEx(seenBox.hook);

    CHECK(seenBox.caption == "Kestrin Conduit");
    CHECK(seenBox.text == "File notes.txt already exists on your Palm Device! Overwrite?");
    CHECK(ReadBytes(sync.outbox("notes.txt")) == std::string("new"));
    CHECK(FileDatabaseData("notes.txt") == std::string("old"));
}

TEST_CASE("only ordinary, non-empty files other than serialsync.txt are sent, then deleted") {
    TransferFixture sync;
    std::string data = Pattern(10);
    WriteBytes(sync.outbox("a.txt"), data);
    WriteBytes(sync.outbox("b.txt"), "");
    CreateDirectoryA(sync.outbox("docs").c_str(), nullptr);
    WriteBytes(sync.outbox("docs\\inner.txt"), "inside");
    WriteBytes(sync.outbox("SerialSync.TXT"), "reserved");
    std::string before = CurrentDirectory();

    SendFiles();

    CHECK(Entries(sync.outbox()) == std::set<std::string>{"b.txt", "docs", "SerialSync.TXT"});
    CHECK(ReadBytes(sync.outbox("docs\\inner.txt")) == std::string("inside"));
    CHECK(FileDatabaseData("a.txt") == data);
    CHECK_FALSE(DatabaseExists("b.txt"));
    CHECK_FALSE(DatabaseExists("inner.txt"));
    CHECK_FALSE(DatabaseExists("SerialSync.TXT"));
    CHECK(session.sentCount == 1);
    CHECK(CurrentDirectory() == before);
    CHECK(EmuOpenDatabaseCount() == 0);
}

TEST_CASE("a sent file becomes a DaTa database of vqKT with its header and 32 768-byte records") {
    TransferFixture sync;
    WriteBytes(sync.outbox("seventy.bin"), Pattern(70000, 1));
    WriteBytes(sync.outbox("sixty-five.bin"), Pattern(65536, 2));
    WriteBytes(sync.outbox("one.bin"), Pattern(1, 3));

    SendFiles();

    std::optional<DatabaseInfo> info = FindDatabase("seventy.bin");
    REQUIRE(info);
    CHECK(info->type == kFileDatabaseType);
    CHECK(info->creator == layout::kCreatorIdNumber);
    CHECK(info->version == kFileDatabaseVersion);
    CHECK(info->flags == 0);
    CHECK(RecordSizes("seventy.bin") == std::vector<size_t>{64, 32768, 32768, 4464});
    CHECK(RecordSizes("sixty-five.bin") == std::vector<size_t>{64, 32768, 32768});
    CHECK(RecordSizes("one.bin") == std::vector<size_t>{64, 1});
    CHECK(FileDatabaseData("seventy.bin") == Pattern(70000, 1));
    CHECK(FileDatabaseData("sixty-five.bin") == Pattern(65536, 2));
    FileHeader header = HeaderOf("seventy.bin");
    CHECK(header.compression == 0);
    CHECK(FileSizeOf(header) == 70000);
    CHECK(HandheldNameOf(header) == "seventy.bin");
    CHECK(Entries(sync.outbox()).empty());
    CHECK(session.sentCount == 3);
}

TEST_CASE("every record is a new record with attributes 0x40 and category 0") {
    TransferFixture sync;
    WriteBytes(sync.outbox("two.bin"), Pattern(40000));
    SendFiles();
    BYTE handle = 0;
    REQUIRE(SyncOpenDB("two.bin", 0, &handle, eDbRead) == SYNCERR_NONE);
    std::vector<BYTE> buffer(kDataRecordSize);
    for (WORD index = 0; index < 3; ++index) {
        CAPTURE(index);
        CRawRecordInfo record = {};
        record.m_FileHandle = handle;
        record.m_RecIndex = index;
        record.m_TotalBytes = static_cast<WORD>(buffer.size());
        record.m_pBytes = buffer.data();
        REQUIRE(SyncReadRecordByIndex(&record) == SYNCERR_NONE);
        CHECK(record.m_Attribs == eRecAttrDirty);
        CHECK(record.m_CatId == 0);
    }
    SyncCloseDB(handle);
}

TEST_CASE("a file database of the same name meets the FromPCToPalm policy") {
    TransferFixture sync;
    std::string old = Pattern(500, 7);
    std::string fresh = Pattern(900, 8);
    REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 500), old));
    WriteBytes(sync.outbox("notes.txt"), fresh);

    SUBCASE("Overwrite replaces it without a question") {
        QuestionAnswerer answerer(IDNO);
        session.settings.fromPCToPalm = settings::Overwrite;
        SendFiles();
        CHECK(answerer.questions().empty());
        CHECK(FileDatabaseData("notes.txt") == fresh);
        CHECK_FALSE(win::FileExists(sync.outbox("notes.txt")));
    }
    SUBCASE("a number other than 1 and 2 counts as Overwrite") {
        session.settings.fromPCToPalm = 9;
        SendFiles();
        CHECK(FileDatabaseData("notes.txt") == fresh);
    }
    SUBCASE("DoNothing keeps both") {
        QuestionAnswerer answerer(IDYES);
        session.settings.fromPCToPalm = settings::DoNothing;
        SendFiles();
        CHECK(answerer.questions().empty());
        CHECK(FileDatabaseData("notes.txt") == old);
        CHECK(ReadBytes(sync.outbox("notes.txt")) == fresh);
        CHECK(session.sentCount == 0);
    }
    SUBCASE("Ask, answered No, keeps both") {
        QuestionAnswerer answerer(IDNO);
        session.settings.fromPCToPalm = settings::Ask;
        SendFiles();
        REQUIRE(answerer.questions().size() == 1);
        CheckOverwriteQuestion(answerer.questions()[0],
                               "File notes.txt already exists on your Palm Device! Overwrite?");
        CHECK(FileDatabaseData("notes.txt") == old);
        CHECK(ReadBytes(sync.outbox("notes.txt")) == fresh);
    }
    SUBCASE("Ask, answered Yes, replaces it") {
        QuestionAnswerer answerer(IDYES);
        session.settings.fromPCToPalm = settings::Ask;
        SendFiles();
        CHECK(answerer.questions().size() == 1);
        CHECK(FileDatabaseData("notes.txt") == fresh);
        CHECK(session.sentCount == 1);
    }
}

TEST_CASE("a database of that name from another application is neither questioned nor touched") {
    TransferFixture sync;
    REQUIRE(CreateDatabase("notes.txt", 0x74657874 /* 'text' */, 0x6D656D6F /* 'memo' */, {"memo record"}));
    WriteBytes(sync.outbox("notes.txt"), "new notes");
    QuestionAnswerer answerer(IDYES);
    session.settings.fromPCToPalm = settings::Ask;

    SendFiles();

    CHECK(answerer.questions().empty());
    CHECK(ReadRecords("notes.txt") == std::vector<std::string>{"memo record"});
    // The create fails on the other database's name: the file stays for the next synchronisation.
    CHECK(ReadBytes(sync.outbox("notes.txt")) == std::string("new notes"));
    CHECK(session.sentCount == 0);
}

TEST_CASE("two PC files with the same handheld name: the second waits on the PC for a later HotSync") {
    TransferFixture sync;
    WriteBytes(sync.outbox("Quarterly Report 2000.doc"), Pattern(100, 1));
    WriteBytes(sync.outbox("Quarterly Report 2001.doc"), Pattern(100, 2));
    QuestionAnswerer answerer(IDNO);
    session.settings.fromPCToPalm = settings::Ask;

    SendFiles();

    // What this HotSync wrote is never replaced in the same HotSync, and nobody is asked.
    CHECK(answerer.texts().empty());
    std::set<std::string> left = Entries(sync.outbox());
    REQUIRE(left.size() == 1);
    std::string sent = *left.begin() == "Quarterly Report 2000.doc" ? "Quarterly Report 2001.doc"
                                                                    : "Quarterly Report 2000.doc";
    CHECK(FileDatabaseData("Quarterly Re.doc") ==
          Pattern(100, sent.find("2000") != std::string::npos ? 1 : 2));
    CHECK(session.sentCount == 1);
}

TEST_CASE("the free-memory test: n + 8 per full record + 270 bytes is enough, one byte less is not") {
    TransferFixture sync;
    const DWORD size = 70000;
    const DWORD needed = size + 8 * (size / 32768) + 270;
    WriteBytes(sync.outbox("big.bin"), Pattern(size));

    SUBCASE("exactly enough") {
        EmuSetFreeRam(needed);
        SendFiles();
        CHECK(FileDatabaseData("big.bin") == Pattern(size));
        CHECK(Entries(sync.outbox()).empty());
    }
    SUBCASE("one byte short") {
        EmuSetFreeRam(needed - 1);
        SendFiles();
        CHECK_FALSE(DatabaseExists("big.bin"));
        CHECK(ReadBytes(sync.outbox("big.bin")) == Pattern(size));
        CHECK(session.sentCount == 0);
    }
}

TEST_CASE("the free-memory test does not overflow near 4 GiB") {
    CHECK(FitsFreeRam(70000, 70286));
    CHECK_FALSE(FitsFreeRam(70000, 70285));
    CHECK_FALSE(FitsFreeRam(0xFFFFFF00ull, 0x1000));
    CHECK_FALSE(FitsFreeRam(0xFFFFFFFFull, 0xFFFFFFFF));
}

TEST_CASE("a file of 4 GiB or more stays on the PC") {
    TransferFixture sync;
    // Sparse: 4 GiB and 5 bytes, whose low size part alone would look like a 5-byte file.
    {
        win::File file(CreateFileA(sync.outbox("huge.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        REQUIRE(file);
        LARGE_INTEGER size = {};
        size.QuadPart = 0x100000005ll;
        REQUIRE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
        REQUIRE(SetEndOfFile(file.get()));
    }
    WriteBytes(sync.outbox("small.txt"), "small");

    SendFiles();

    CHECK(Entries(sync.outbox()) == std::set<std::string>{"huge.bin"});
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    REQUIRE(GetFileAttributesExA(sync.outbox("huge.bin").c_str(), GetFileExInfoStandard, &data));
    CHECK(data.nFileSizeHigh == 1);
    CHECK(data.nFileSizeLow == 5);
    CHECK_FALSE(DatabaseExists("huge.bin"));
    CHECK(FileDatabaseData("small.txt") == std::string("small"));
}

TEST_CASE("a file that cannot be opened for reading stays") {
    TransferFixture sync;
    WriteBytes(sync.outbox("busy.txt"), "in use");
    win::File writer(CreateFileA(sync.outbox("busy.txt").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(writer);
    SendFiles();
    writer.reset();
    CHECK(ReadBytes(sync.outbox("busy.txt")) == std::string("in use"));
    CHECK_FALSE(DatabaseExists("busy.txt"));
}

TEST_CASE("an outgoing folder that cannot be entered sends and deletes nothing anywhere") {
    TransferFixture sync;
    WriteBytes(sync.outbox("a.txt"), "outgoing");
    // Files in the current directory must not be taken for the outgoing folder's.
    WriteBytes("here.txt", "current directory");
    std::string before = CurrentDirectory();

    SUBCASE("the folder value was missing or invalid") {
        session.settings.sendFolder.reset();
    }
    SUBCASE("the folder does not exist") {
        session.settings.sendFolder = sync.root() + "\\no such folder";
    }
    SUBCASE("the folder value is empty") {
        session.settings.sendFolder = std::string();
    }

    SendFiles();

    CHECK(CurrentDirectory() == before);
    CHECK(ReadBytes("here.txt") == std::string("current directory"));
    CHECK(ReadBytes(sync.outbox("a.txt")) == std::string("outgoing"));
    CHECK(EmuCallCount(emuCreate) == 0);
    CHECK(EmuCallCount(emuFind) == 0);
    CHECK_FALSE(DatabaseExists("here.txt"));
    CHECK_FALSE(DatabaseExists("a.txt"));
}

TEST_CASE("compressed sending packs with the chosen archiver and sends the archive") {
    TransferFixture sync;
    std::string data = Pattern(100000, 4);
    WriteBytes(sync.outbox("report.doc"), data);
    for (auto archiver : {settings::WinZip, settings::WinRar}) {
        CAPTURE(archiver);
        ArchiverRegistration registration(archiver, TestArchiverPath(archiver));
        WriteBytes(sync.outbox("report.doc"), data);
        SyncDeleteDB("report.doc", 0);
        // A HotSync of its own: one handheld name takes one file per HotSync.
        session = SyncSession(session.settings);
        session.settings.archiver = archiver;
        session.settings.archiverPath = TestArchiverPath(archiver);

        SendFiles();

        CHECK(ArchiverLog(archiver) ==
              std::vector<std::string>{CompressCommand(archiver, TestArchiverPath(archiver), "report.doc")});
        FileHeader header = HeaderOf("report.doc");
        CHECK(header.compression == archiver);
        CHECK(FileSizeOf(header) == data.size());
        CHECK(HandheldNameOf(header) == "report.doc");
        std::optional<std::string> archive = FileDatabaseData("report.doc");
        REQUIRE(archive);
        CHECK(Unpack(archiver, *archive, "report.doc") == data);
        // Both the file and the temporary archive are gone.
        CHECK(Entries(sync.outbox()).empty());
    }
}

TEST_CASE("with compression on, a file that does not reach the handheld leaves no archive behind") {
    TransferFixture sync;
    ArchiverRegistration registration(settings::WinZip, TestArchiverPath(settings::WinZip));
    session.settings.archiver = settings::WinZip;
    session.settings.archiverPath = TestArchiverPath(settings::WinZip);
    std::string data = Pattern(50000);
    WriteBytes(sync.outbox("report.doc"), data);

    SUBCASE("too large for the handheld") {
        EmuSetFreeRam(1000);
    }
    SUBCASE("the archiver produced no archive") {
        SetEnvironmentVariableA("KESTRIN_TEST_ARCHIVER", "fail");
    }
    SUBCASE("the archiver cannot be started") {
        session.settings.archiverPath = sync.root() + "\\missing.exe";
    }

    SendFiles();
    SetEnvironmentVariableA("KESTRIN_TEST_ARCHIVER", nullptr);

    CHECK(Entries(sync.outbox()) == std::set<std::string>{"report.doc"});
    CHECK(ReadBytes(sync.outbox("report.doc")) == data);
    CHECK_FALSE(DatabaseExists("report.doc"));
    CHECK(session.sentCount == 0);
}

TEST_CASE("files named like the temporary archives are the user's: never sent, packed into or deleted") {
    TransferFixture sync;
    WriteBytes(sync.outbox("$$temp$$.zip"), "the user's zip");
    WriteBytes(sync.outbox("$$TEMP$$.RAR"), "the user's rar");
    WriteBytes(sync.outbox("report.doc"), "report");
    ArchiverRegistration zip(settings::WinZip, TestArchiverPath(settings::WinZip));
    ArchiverRegistration rar(settings::WinRar, TestArchiverPath(settings::WinRar));

    SUBCASE("uncompressed: the others go") {
        SendFiles();
        CHECK(Entries(sync.outbox()) == std::set<std::string>{"$$temp$$.zip", "$$TEMP$$.RAR"});
        CHECK(FileDatabaseData("report.doc") == std::string("report"));
    }
    SUBCASE("compressed: the archive is made out of their way, and the others go") {
        session.settings.archiver = settings::WinRar;
        session.settings.archiverPath = TestArchiverPath(settings::WinRar);
        SendFiles();
        CHECK(ArchiverLog(settings::WinRar).size() == 1);
        CHECK(Entries(sync.outbox()) == std::set<std::string>{"$$temp$$.zip", "$$TEMP$$.RAR"});
        CHECK(HeaderOf("report.doc").compression == settings::WinRar);
    }
    CHECK(ReadBytes(sync.outbox("$$temp$$.zip")) == std::string("the user's zip"));
    CHECK(ReadBytes(sync.outbox("$$TEMP$$.RAR")) == std::string("the user's rar"));
    CHECK_FALSE(DatabaseExists("$$temp$$.zip"));
    CHECK_FALSE(DatabaseExists("$$TEMP$$.RAR"));
}

TEST_CASE("a synchronisation with Archiver 2 and no WinRar registration sends uncompressed") {
    TransferFixture sync;
    StoredSettings stored(sync.outbox(), sync.inbox(), settings::Overwrite, settings::Overwrite,
                          settings::WinRar);
    ArchiverRegistration none(settings::WinRar, std::nullopt);
    WriteBytes(sync.outbox("a.txt"), "plain");

    CHECK(RunSynchronisation(IgnoreProgress) == 0);

    CHECK(HeaderOf("a.txt").compression == settings::NoArchiver);
    CHECK(FileDatabaseData("a.txt") == std::string("plain"));
    CHECK(Entries(sync.outbox()).empty());
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath, KEY_READ);
    CHECK(settings::ReadDword(key.get(), settings::kArchiver) == std::optional<DWORD>(settings::WinRar));
}

TEST_CASE("an uncompressed file that changed since the listing stays, and so does the handheld's copy") {
    TransferFixture sync;
    REQUIRE(PutFileDatabase("notes.txt", MakeHeader("notes.txt", 3), "old"));
    WriteBytes(sync.outbox("notes.txt"), "listed");
    // The user saves a longer version while the question is open.
    QuestionAnswerer answerer(IDYES, [&] { WriteBytes(sync.outbox("notes.txt"), "saved meanwhile"); });
    session.settings.fromPCToPalm = settings::Ask;

    SendFiles();

    CHECK(answerer.questions().size() == 1);
    CHECK(ReadBytes(sync.outbox("notes.txt")) == std::string("saved meanwhile"));
    CHECK(FileDatabaseData("notes.txt") == std::string("old"));
    CHECK(FileSizeOf(HeaderOf("notes.txt")) == 3);
    CHECK(session.sentCount == 0);
}

TEST_CASE("another application's DaTa database is neither questioned nor deleted") {
    TransferFixture sync;
    REQUIRE(CreateDatabase("notes.txt", kFileDatabaseType, 0x6F746872 /* 'othr' */, {"someone else's"}));
    WriteBytes(sync.outbox("notes.txt"), "new notes");
    QuestionAnswerer answerer(IDYES);

    for (DWORD policy : {settings::Overwrite, settings::Ask}) {
        session.settings.fromPCToPalm = policy;
        SendFiles();
        CHECK(answerer.questions().empty());
        CHECK(ReadRecords("notes.txt") == std::vector<std::string>{"someone else's"});
        CHECK(ReadBytes(sync.outbox("notes.txt")) == std::string("new notes"));
    }
}

TEST_CASE("what the receiving pass wrote in this HotSync is not sent back") {
    TransferFixture sync;
    session.settings.receiveFolder = sync.outbox();
    REQUIRE(PutFileDatabase("back.txt", MakeHeader("back.txt", 4), "back"));
    REQUIRE(QueueForPc({"back.txt"}));

    ReceiveFiles();
    SendFiles();

    CHECK(ReadBytes(sync.outbox("back.txt")) == std::string("back"));
    CHECK(session.receivedCount == 1);
    CHECK(session.sentCount == 0);
}

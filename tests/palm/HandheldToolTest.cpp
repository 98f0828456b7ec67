// handheld.exe and its file-database rules, checked through SYNC20.dll as the conduit sees them.
#include "emulated/handheld/FileDatabase.h"
#include "tests/palm/PalmTestSupport.h"
#include "tests/support/Processes.h"

#include <doctest/doctest.h>

#include <cstring>

using namespace palmtest;

namespace {

using testsupport::ProgramRun;

// Runs handheld.exe (beside the test) with `arguments`, its output captured.
ProgramRun RunTool(const std::string& arguments) {
    ScratchFolder scratch{"palm"};
    return testsupport::RunProgram("handheld.exe " + arguments, scratch / "output.txt", 60000);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::vector<size_t> RecordSizes(const std::string& name) {
    std::vector<size_t> sizes;
    BYTE handle = 0;
    REQUIRE(SyncOpenDB(name.c_str(), 0, &handle, 0x90) == 0);
    std::vector<BYTE> bytes;
    for (WORD index = 0; ReadRecord(handle, index, 0xFFFF, bytes) == 0; ++index) {
        sizes.push_back(bytes.size());
    }
    SyncCloseDB(handle);
    return sizes;
}

// The queue as the conduit reads it: the count from record 0, then up to 32 bytes of each name.
std::vector<std::string> QueuedNames() {
    std::vector<std::string> names;
    BYTE handle = 0;
    REQUIRE(SyncOpenDB("KestrinDatabaseFiles", 0, &handle, 0x90) == 0);
    std::vector<BYTE> bytes;
    REQUIRE(ReadRecord(handle, 0, 4, bytes) == 0);
    DWORD count = BE32(bytes, 0);
    for (WORD index = 1; index <= count; ++index) {
        REQUIRE(ReadRecord(handle, index, 32, bytes) == 0);
        names.push_back(std::string(bytes.begin(), bytes.end()).c_str());
    }
    SyncCloseDB(handle);
    return names;
}

std::vector<BYTE> FileHeaderOf(const std::string& name) {
    BYTE handle = 0;
    REQUIRE(SyncOpenDB(name.c_str(), 0, &handle, 0x90) == 0);
    std::vector<BYTE> bytes;
    CHECK(ReadRecord(handle, 0, 64, bytes) == 0);
    SyncCloseDB(handle);
    return bytes;
}

void SetLastWriteTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour, WORD minute,
                      WORD second) {
    SYSTEMTIME local = {year, month, 0, day, hour, minute, second, 0};
    FILETIME localFileTime;
    FILETIME utc;
    REQUIRE(SystemTimeToFileTime(&local, &localFileTime));
    REQUIRE(LocalFileTimeToFileTime(&localFileTime, &utc));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
}

} // namespace

TEST_CASE("the handheld name keeps 12 characters of the stem and 4 of the extension") {
    struct Case {
        const char* file;
        const char* name;
        const char* extension;
    };
    const Case cases[] = {{"notes.txt", "notes", ".txt"},
                          {"Quarterly Report 2000.doc", "Quarterly Re", ".doc"},
                          {"index.html", "index", ".htm"},
                          {"archive.tar.gz", "archive.tar", ".gz"},
                          {".profile", "", ".pro"},
                          {"exactlytwelv", "exactlytwelv", ""},
                          {"thirteen char", "thirteen cha", ""},
                          {"thirteenchars.jpeg", "thirteenchar", ".jpe"},
                          {"twelve chars.txt", "twelve chars", ".txt"},
                          {"trailing.", "trailing", "."}};
    for (const Case& c : cases) {
        CAPTURE(c.file);
        formats::HandheldName name = formats::MakeHandheldName(c.file);
        CHECK(name.name == c.name);
        CHECK(name.extension == c.extension);
    }
}

TEST_CASE("the FileHeader puts compression little-endian and the rest big-endian") {
    handheld::FileHeader header = {};
    formats::SetCompression(header, 1);
    formats::SetFileSize(header, 1000);
    formats::SetModification(header, {2001, 3, 5, 13, 45, 30});
    formats::SetTransfer(header, {1999, 12, 31, 13, 45, 30});
    formats::SetName(header, {"exactlytwelv", ".txt"});
    std::vector<BYTE> raw(reinterpret_cast<const BYTE*>(&header),
                          reinterpret_cast<const BYTE*>(&header) + 64);
    CHECK(std::vector<BYTE>(raw.begin(), raw.begin() + 8) == std::vector<BYTE>{1, 0, 0, 0, 0, 0, 3, 0xE8});
    CHECK(BE32(raw, 8) == 49560);
    CHECK(BE32(raw, 12) == 49530);
    CHECK(std::memcmp(&raw[16], "exactlytwelv\0\0\0\0", 16) == 0);
    CHECK(std::memcmp(&raw[32], ".txt\0\0\0\0", 8) == 0);
    CHECK(std::memcmp(&raw[40], "03.05.2001\0\0", 12) == 0);
    CHECK(std::memcmp(&raw[52], "12.31.1999\0\0", 12) == 0);

    handheld::FileHeader back = formats::FileHeaderFromBytes(raw.data());
    CHECK(formats::CompressionOf(back) == 1);
    CHECK(formats::FileSizeOf(back) == 1000);
    CHECK(formats::HandheldNameOf(back) == "exactlytwelv.txt");
}

TEST_CASE("fields without a terminating zero are read to the end of the field") {
    BYTE bytes[64];
    std::memset(bytes, 'A', sizeof(bytes));
    handheld::FileHeader header = formats::FileHeaderFromBytes(bytes);
    CHECK(formats::HandheldNameOf(header) == std::string(24, 'A'));
    CHECK(formats::FieldText(header.transferDate, sizeof(header.transferDate)) == std::string(12, 'A'));
}

TEST_CASE("handheld.exe queues PC files and extracts them again") {
    AttachedHandheld handheld;
    ScratchFolder pc{"palm"};
    std::string big = (pc / "Quarterly Report 2000.doc");
    std::string even = (pc / "even.bin");
    std::string tiny = (pc / "tiny.txt");
    REQUIRE(WriteWholeFile(big, Pattern(70000, 1)));
    REQUIRE(WriteWholeFile(even, Pattern(65536, 2)));
    REQUIRE(WriteWholeFile(tiny, {'x'}));
    SetLastWriteTime(big, 2001, 3, 5, 13, 45, 30);
    std::string folder = Quoted(handheld.folder.path());

    ProgramRun run = RunTool("queue " + folder + " " + Quoted(big));
    CHECK(run.exitCode == 0);
    CHECK(run.output.find("Quarterly Re.doc") != std::string::npos);
    REQUIRE(RunTool("queue " + folder + " " + Quoted(even)).exitCode == 0);
    REQUIRE(RunTool("queue " + folder + " " + Quoted(tiny)).exitCode == 0);

    CHECK(QueuedNames() == std::vector<std::string>{"Quarterly Re.doc", "even.bin", "tiny.txt"});
    CHECK(RecordSizes("Quarterly Re.doc") == std::vector<size_t>{64, 32768, 32768, 4464});
    CHECK(RecordSizes("even.bin") == std::vector<size_t>{64, 32768, 32768});
    CHECK(RecordSizes("tiny.txt") == std::vector<size_t>{64, 1});

    std::vector<BYTE> header = FileHeaderOf("Quarterly Re.doc");
    CHECK(std::vector<BYTE>(header.begin(), header.begin() + 8) ==
          std::vector<BYTE>{0, 0, 0, 0, 0, 1, 0x11, 0x70});
    CHECK(BE32(header, 8) == 49560);
    CHECK(std::memcmp(&header[16], "Quarterly Re\0\0\0\0.doc\0\0\0\0", 24) == 0);
    CHECK(std::memcmp(&header[40], "03.05.2001\0\0", 12) == 0);
    SyncFindDbByNameParams params = {eFindByNameOptGetAttributes, 0, "Quarterly Re.doc"};
    SyncDatabaseInfoType info = {};
    REQUIRE(SyncFindDbByName(&params, &info) == 0);
    CHECK(info.m_DbType == kTypeData);
    CHECK(info.m_Creator == kCreatorKestrin);
    CHECK(info.m_Version == 10);

    std::string out = (pc / "back.doc");
    run = RunTool("extract " + folder + " \"Quarterly Re.doc\" " + Quoted(out));
    CHECK(run.exitCode == 0);
    CHECK(run.output.find("03.05.2001") != std::string::npos);
    CHECK(ReadWholeFile(out) == Pattern(70000, 1));

    run = RunTool("list " + folder);
    CHECK(run.exitCode == 0);
    CHECK(run.output.find("KestrinDatabaseFiles") != std::string::npos);
    CHECK(run.output.find("4 database(s)") != std::string::npos);
}

TEST_CASE("handheld.exe queues archive bytes with the size given") {
    AttachedHandheld handheld;
    ScratchFolder pc{"palm"};
    std::string archive = (pc / "notes.txt");
    REQUIRE(WriteWholeFile(archive, Pattern(300, 3)));
    REQUIRE(RunTool("queue " + Quoted(handheld.folder.path()) + " " + Quoted(archive) +
                    " --compression 2 --size 1000")
                .exitCode == 0);
    std::vector<BYTE> header = FileHeaderOf("notes.txt");
    CHECK(std::vector<BYTE>(header.begin(), header.begin() + 8) ==
          std::vector<BYTE>{2, 0, 0, 0, 0, 0, 3, 0xE8});
    CHECK(RecordSizes("notes.txt") == std::vector<size_t>{64, 300});
}

TEST_CASE("handheld.exe refuses what it cannot do") {
    AttachedHandheld handheld;
    ScratchFolder pc{"palm"};
    std::string file = (pc / "a.txt");
    REQUIRE(WriteWholeFile(file, {'a'}));
    std::string folder = Quoted(handheld.folder.path());
    CHECK(RunTool("").exitCode == 2);
    CHECK(RunTool("queue " + folder).exitCode == 2);
    CHECK(RunTool("queue " + folder + " " + Quoted(file) + " --compression x").exitCode == 2);
    CHECK(RunTool("queue " + folder + " " + Quoted(file) + " --size 5").exitCode == 2);
    CHECK(RunTool("queue " + folder + " " + Quoted((pc / "missing.txt"))).exitCode == 1);
    CHECK(RunTool("extract " + folder + " missing.txt " + Quoted((pc / "out"))).exitCode == 1);
    CHECK(RunTool("list " + Quoted((pc / "nowhere"))).exitCode == 1);
    CHECK(RunTool("prefs " + folder).exitCode == 1);

    REQUIRE(RunTool("queue " + folder + " " + Quoted(file)).exitCode == 0);
    ProgramRun again = RunTool("queue " + folder + " " + Quoted(file));
    CHECK(again.exitCode == 1);
    CHECK(again.output.find("already exists") != std::string::npos);
    CHECK(QueuedNames() == std::vector<std::string>{"a.txt"});
}

TEST_CASE("handheld.exe makes the transfer-count preference the conduit updates") {
    AttachedHandheld handheld;
    std::string folder = Quoted(handheld.folder.path());
    REQUIRE(RunTool("prefs " + folder + " --create").exitCode == 0);

    BYTE data[42] = {};
    CSyncPreference pref = TransferCountPreference(data);
    REQUIRE(SyncReadAppPreference(&pref) == 0);
    CHECK(pref.m_ActSize == 42);
    CHECK(data[0] == 0);
    CHECK(data[3] == 0);
    CHECK(data[4] == 'K');
    CHECK(data[5] == 'S');

    data[1] = 3;
    data[3] = 2;
    REQUIRE(SyncWriteAppPreference(&pref) == 0);
    ProgramRun run = RunTool("prefs " + folder);
    CHECK(run.exitCode == 0);
    CHECK(run.output.find("sent to the handheld: 3") != std::string::npos);
    CHECK(run.output.find("received by the PC:   2") != std::string::npos);
    CHECK(run.output.find("as the handheld application made them") != std::string::npos);
}

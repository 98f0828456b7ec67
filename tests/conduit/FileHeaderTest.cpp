// The file header, the handheld-name rule and the names the conduit accepts from the handheld.
#include "conduit/FileHeader.h"
#include "formats/FileNames.h"
#include "conduit/SyncDriver.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/OutgoingFolder.h"
#include "settings/Settings.h"

#include <doctest/doctest.h>

#include <cstring>
#include <string>

using formats::IsSafeFileName;

namespace {

std::string Handheld(const std::string& pcName) {
    HandheldName name = MakeHandheldName(pcName);
    return name.name + "|" + name.extension;
}

SYSTEMTIME LocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

WIN32_FIND_DATAA Entry(const char* name, DWORD size, const SYSTEMTIME& localLastWrite) {
    WIN32_FIND_DATAA entry = {};
    std::strncpy(entry.cFileName, name, MAX_PATH - 1);
    entry.nFileSizeLow = size;
    FILETIME local = {};
    SystemTimeToFileTime(&localLastWrite, &local);
    LocalFileTimeToFileTime(&local, &entry.ftLastWriteTime);
    return entry;
}

FileHeader Build(const WIN32_FIND_DATAA& entry, DWORD archiver, const SYSTEMTIME& now) {
    FileHeader header = {};
    BuildFileHeader(entry, CompressionForSending(archiver), header, now);
    return header;
}

const unsigned char* Bytes(const FileHeader& header) {
    return reinterpret_cast<const unsigned char*>(&header);
}

std::string Field(const char* field, size_t size) {
    return std::string(field, size);
}

} // namespace

TEST_CASE("the handheld name keeps a short name and cuts long stems and extensions") {
    CHECK(Handheld("notes.txt") == "notes|.txt");
    CHECK(Handheld("Quarterly Report 2000.doc") == "Quarterly Re|.doc");
    CHECK(Handheld("index.html") == "index|.htm");
    CHECK(Handheld("archive.tar.gz") == "archive.tar|.gz");
    CHECK(Handheld(".profile") == "|.pro");
    CHECK(Handheld("photo.jpeg") == "photo|.jpe");
    CHECK(Handheld("thirteen-char.txt") == "thirteen-cha|.txt");
    CHECK(Handheld("twelve-chars") == "twelve-chars|");
    CHECK(Handheld("a-name-without-dot") == "a-name-witho|");
    CHECK(Handheld("MiXeD.Case") == "MiXeD|.Cas");
    // The stem is measured without the whole extension, not the cut one.
    CHECK(Handheld("twelve-chars.verylongext") == "twelve-chars|.ver");
}

TEST_CASE("BuildFileHeader lays the fields out with their byte orders") {
    SYSTEMTIME written = LocalTime(2001, 3, 5, 13, 45, 30);
    SYSTEMTIME now = LocalTime(2004, 11, 28, 13, 45, 30);
    FileHeader header = Build(Entry("notes.txt", 1000, written), settings::WinZip, now);
    const unsigned char* bytes = Bytes(header);

    SUBCASE("compression in PC order, sizes and times in handheld order") {
        CHECK(std::memcmp(bytes, "\x01\x00\x00\x00", 4) == 0);
        CHECK(std::memcmp(bytes + 4, "\x00\x00\x03\xE8", 4) == 0);
        // The last-write time counts its seconds twice; the transfer time once.
        CHECK(SyncHHToHostDWord(header.modificationTime) == 49560);
        CHECK(SyncHHToHostDWord(header.transferTime) == 49530);
        CHECK(FileSizeOf(header) == 1000);
    }
    SUBCASE("dates as MM.DD.YYYY followed by zeros") {
        CHECK(Field(header.modificationDate, 12) == std::string("03.05.2001\0\0", 12));
        CHECK(Field(header.transferDate, 12) == std::string("11.28.2004\0\0", 12));
    }
    SUBCASE("name and extension fields zero-filled") {
        CHECK(Field(header.name, 16) == std::string("notes\0\0\0\0\0\0\0\0\0\0\0", 16));
        CHECK(Field(header.extension, 8) == std::string(".txt\0\0\0\0", 8));
        CHECK(HandheldNameOf(header) == "notes.txt");
    }
}

TEST_CASE("BuildFileHeader fills a 12-character name and leaves the rest zero") {
    SYSTEMTIME time = LocalTime(2010, 12, 31, 0, 0, 0);
    FileHeader header = Build(Entry("ABCDEFGHIJKL", 1, time), settings::NoArchiver, time);
    CHECK(Field(header.name, 16) == std::string("ABCDEFGHIJKL\0\0\0\0", 16));
    CHECK(Field(header.extension, 8) == std::string(8, '\0'));
    CHECK(header.modificationTime == 0);
    CHECK(Field(header.modificationDate, 12) == std::string("12.31.2010\0\0", 12));
}

TEST_CASE("an unknown archiver number sends uncompressed") {
    SYSTEMTIME time = LocalTime(2010, 1, 1, 1, 1, 1);
    CHECK(Build(Entry("a.txt", 5, time), settings::WinRar, time).compression == 2);
    CHECK(Build(Entry("a.txt", 5, time), 3, time).compression == 0);
    CHECK(Build(Entry("a.txt", 5, time), 0xFFFFFFFF, time).compression == 0);
}

TEST_CASE("a header read from the handheld stops at the end of each field") {
    FileHeader header = {};
    std::memset(header.name, 'n', sizeof(header.name));
    std::memset(header.extension, 'e', sizeof(header.extension));
    std::memset(header.modificationDate, 'x', sizeof(header.modificationDate));
    CHECK(HandheldNameOf(header) == std::string(16, 'n') + std::string(8, 'e'));
}

TEST_CASE("names from the handheld are used only when they are plain file names") {
    for (const char* name : {"notes.txt", ".pro", "Quarterly Re.doc", "a b.c", "CONSOLE.txt", "COM10", "LPT",
                             "nul1", "x.con", "caf\xE9.txt", "$$temp$$.tmp"}) {
        CAPTURE(name);
        CHECK(IsSafeFileName(name));
    }
    for (const char* name : {"",           ".",      "..",          "..\\evil.txt",  "a\\b",
                             "a/b",        "c:evil", "C:\\evil",    "\\\\server\\x", "a<b",
                             "a>b",        "a\"b",   "a|b",         "a?b",           "a*b",
                             "tab\there",  "\x01",   "line\nbreak", "\x7f\x1f",      "trailing.",
                             "trailing ",  "CON",    "con.txt",     "Nul",           "PRN.doc",
                             "AUX.tar.gz", "COM1",   "com9.txt",    "LPT1",          "lpt9.x",
                             "COM0",       "CONIN$", "CONOUT$",     "nul .txt",      "COM\xB9",
                             "CLOCK$"}) {
        CAPTURE(name);
        CHECK_FALSE(IsSafeFileName(name));
    }
}

TEST_CASE("the outgoing-file rule and what can never be sent") {
    SYSTEMTIME time = LocalTime(2010, 1, 1, 1, 1, 1);
    using settings::JudgeOutgoingEntry;
    using settings::OutgoingVerdict;
    WIN32_FIND_DATAA file = Entry("a.txt", 10, time);
    CHECK(JudgeOutgoingEntry(file) == OutgoingVerdict::Send);

    WIN32_FIND_DATAA empty = Entry("b.txt", 0, time);
    CHECK(JudgeOutgoingEntry(empty) == OutgoingVerdict::Empty);
    WIN32_FIND_DATAA folder = Entry("docs", 0, time);
    folder.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    CHECK(JudgeOutgoingEntry(folder) == OutgoingVerdict::Folder);
    CHECK(JudgeOutgoingEntry(Entry("SerialSync.TXT", 10, time)) == OutgoingVerdict::ReservedName);

    // Only the size's high part is set: not empty, but too large for the header.
    WIN32_FIND_DATAA huge = Entry("huge.bin", 0, time);
    huge.nFileSizeHigh = 1;
    CHECK(JudgeOutgoingEntry(huge) == OutgoingVerdict::TooLarge);

    CHECK(settings::IsTemporaryArchiveName("$$temp$$.zip"));
    CHECK(settings::IsTemporaryArchiveName("$$TEMP$$.RAR"));
    CHECK_FALSE(settings::IsTemporaryArchiveName("$$temp$$.zip.txt"));
    CHECK(JudgeOutgoingEntry(Entry("$$Temp$$.Zip", 10, time)) == OutgoingVerdict::TemporaryArchiveName);
}

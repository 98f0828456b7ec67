// unrar.dll on well-formed archives: a hand-built one, the package data.z, every operation and
// open mode, and the result codes of what it cannot do.
#include "tests/support/Files.h"
#include "tests/unrar/RarBuilder.h"
#include "tests/unrar/UnrarLibrary.h"

#include <doctest/doctest.h>

#include <memory>

using namespace rartest;
using testsupport::Entries;
using testsupport::ReadBytes;
using testsupport::ScratchFolder;
using testsupport::WriteBytes;

namespace {

std::string Bytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    return bytes;
}

const std::vector<Entry>& SampleEntries() {
    static const std::vector<Entry> entries = {
        {"first.txt", "hello, handheld\r\n"},
        {"sub\\folder\\big.bin", Bytes(200000, 7)},
        {"empty.dat", ""},
        {"unix/style.txt", "slashes"},
    };
    return entries;
}

} // namespace

TEST_CASE("a hand-built archive lists every entry's fields, then ends with 10") {
    ScratchFolder scratch("unrar-list");
    Entry dated{"dated.txt", "abc"};
    dated.dosTime = 0x5A8B6C21;
    dated.attributes = 0x21;
    std::string path = PutArchive(scratch.path(), Archive({dated, {"b.bin", Bytes(70000, 3)}}));

    OpenedArchive archive(path, RAR_OM_LIST);
    REQUIRE(archive.handle());
    CHECK(archive.result() == ERAR_SUCCESS);
    RARHeaderData header = {};
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(std::string(header.FileName) == "dated.txt");
    CHECK(std::string(header.ArcName) == path);
    CHECK(header.PackSize == 3);
    CHECK(header.UnpSize == 3);
    CHECK(header.HostOS == 2);
    CHECK(header.FileCRC == 0x352441C2u);
    CHECK(header.FileTime == 0x5A8B6C21u);
    CHECK(header.UnpVer == 20);
    CHECK(header.Method == 0x30);
    CHECK(header.FileAttr == 0x21);
    CHECK(header.Flags == 0);
    CHECK(archive.Process(RAR_SKIP, "") == ERAR_SUCCESS);
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(std::string(header.FileName) == "b.bin");
    CHECK(header.UnpSize == 70000);
    CHECK(archive.Process(RAR_SKIP, "") == ERAR_SUCCESS);
    CHECK(archive.ReadHeader(header) == ERAR_END_ARCHIVE);
    CHECK(archive.ReadHeader(header) == ERAR_END_ARCHIVE);
}

TEST_CASE("other writers' header forms: UTF-8 names, 64-bit sizes, service blocks, an old main header") {
    ScratchFolder scratch("unrar-forms");
    Entry utf8{"\xc3\x9c"
               "ber \xe2\x82\xac.txt",
               "utf-8 name"};
    utf8.extraFlags = 0x0200;
    Entry oemWithUnicode{std::string("plain.txt\0\x01\x02\x03", 13), "oem name kept"};
    oemWithUnicode.extraFlags = 0x0200;
    Entry large{"large.bin", "sizes with high halves"};
    large.large = true;
    // A service block (a comment or recovery record) with data, and a main header carrying six more
    // bytes that only its fixed part's CRC covers, as old archives with an embedded comment have.
    std::string service = Block(0x7A, 0x8000,
                                std::string("\x04\0\0\0\x04\0\0\0\x02\0\0\0\0\0\0\0\0\x14\x30"
                                            "\x03\0\0\0\0\0CMT",
                                            28)) +
                          "note";
    std::string main = Block(0x73, 0x0002, std::string(6, '\0') + "cmtcmt");
    main.replace(0, 2,
                 std::string{static_cast<char>(Crc32(main.substr(2, 11)) & 0xFF),
                             static_cast<char>((Crc32(main.substr(2, 11)) >> 8) & 0xFF)});
    std::string bytes = kMarker + main + FileBlock(utf8) + service + FileBlock(oemWithUnicode) +
                        FileBlock(large) + EndBlock();

    std::string arcName = PutArchive(scratch.path(), bytes);
    RAROpenArchiveDataEx open = {};
    open.ArcName = arcName.data();
    open.OpenMode = RAR_OM_EXTRACT;
    HANDLE archive = Unrar().openEx(&open);
    REQUIRE(archive);
    CHECK(open.Flags == ROADF_COMMENT);
    auto header = std::make_unique<RARHeaderDataEx>();
    std::vector<std::wstring> names;
    while (Unrar().readHeaderEx(archive, header.get()) == ERAR_SUCCESS) {
        names.push_back(header->FileNameW);
        CHECK(Unrar().processFile(archive, RAR_EXTRACT, const_cast<char*>(scratch.path().c_str()), nullptr) ==
              ERAR_SUCCESS);
    }
    Unrar().close(archive);
    CHECK(names == std::vector<std::wstring>{L"\u00dcber \u20ac.txt", L"plain.txt", L"large.bin"});
    CHECK(ReadBytes(scratch / "plain.txt") == "oem name kept");
    CHECK(ReadBytes(scratch / "large.bin") == "sizes with high halves");
}

TEST_CASE("a self-extracting archive is read past its program; a program without one is not RAR") {
    ScratchFolder scratch("unrar-sfx");
    std::string program = "MZ" + Bytes(150000, 11);
    int last = 0;
    auto listed = ListAll(PutArchive(scratch.path(), program + Archive(SampleEntries()), "setup.exe"), last);
    CHECK(listed.size() == SampleEntries().size());
    CHECK(last == ERAR_END_ARCHIVE);
    OpenedArchive plain(PutArchive(scratch.path(), program, "plain.exe"), RAR_OM_LIST);
    CHECK(plain.handle() == nullptr);
    CHECK(plain.result() == ERAR_BAD_ARCHIVE);
}

TEST_CASE("a self-extractor's marker is found across each read-window edge and up to the search limit") {
    ScratchFolder scratch("unrar-sfx-edges");
    const std::string archive = Archive({{"a.txt", "across the edge"}});
    // The scan reads 64 KB windows that overlap by the marker's 7 bytes less one; it looks no
    // further than the first 4 MB.
    const size_t window = 64 * 1024, step = window - 7, limit = 4 * 1024 * 1024;
    struct Placement {
        size_t markerAt;
        bool found;
    };
    std::vector<Placement> placements = {{limit - 7, true}, {limit - 6, false}, {limit, false}};
    for (size_t edge : {window, step + window}) {
        for (size_t before : {7, 6, 3, 1, 0}) {
            placements.push_back({edge - before, true});
        }
    }
    for (const Placement& placement : placements) {
        CAPTURE(placement.markerAt);
        std::string path =
            PutArchive(scratch.path(), "MZ" + Bytes(placement.markerAt - 2, 13) + archive, "sfx.exe");
        OpenedArchive opened(path, RAR_OM_LIST);
        CHECK((opened.handle() != nullptr) == placement.found);
        CHECK(opened.result() == (placement.found ? ERAR_SUCCESS : ERAR_BAD_ARCHIVE));
    }
}

TEST_CASE("an archive without an end block ends cleanly at the end of the file") {
    ScratchFolder scratch("unrar-noend");
    int last = 0;
    auto listed = ListAll(PutArchive(scratch.path(), Archive(SampleEntries(), false)), last);
    CHECK(listed.size() == SampleEntries().size());
    CHECK(last == ERAR_END_ARCHIVE);
}

TEST_CASE("extracting writes DestPath + the stored name, subfolders made, byte for byte") {
    ScratchFolder scratch("unrar-extract");
    std::string path = PutArchive(scratch.path(), Archive(SampleEntries()));
    std::string dest = scratch / "out";
    OpenedArchive archive(path, RAR_OM_EXTRACT);
    RARHeaderData header = {};
    int read = 0;
    std::vector<std::string> names;
    while ((read = archive.ReadHeader(header)) == ERAR_SUCCESS) {
        names.push_back(header.FileName);
        CHECK(archive.Process(RAR_EXTRACT, dest) == ERAR_SUCCESS);
    }
    CHECK(read == ERAR_END_ARCHIVE);
    CHECK(names ==
          std::vector<std::string>{"first.txt", "sub\\folder\\big.bin", "empty.dat", "unix\\style.txt"});
    for (const Entry& entry : SampleEntries()) {
        std::string name = entry.name;
        for (char& c : name) {
            c = c == '/' ? '\\' : c;
        }
        CHECK(ReadBytes(testsupport::Join(dest, name)) == entry.data);
    }

    SUBCASE("the file's time and attributes come from its header") {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        REQUIRE(GetFileAttributesExA((dest + "\\first.txt").c_str(), GetFileExInfoStandard, &data));
        CHECK(data.dwFileAttributes == FILE_ATTRIBUTE_ARCHIVE);
        FILETIME local;
        WORD date = 0, time = 0;
        REQUIRE(FileTimeToLocalFileTime(&data.ftLastWriteTime, &local));
        REQUIRE(FileTimeToDosDateTime(&local, &date, &time));
        CHECK(((static_cast<uint32_t>(date) << 16) | time) == 0x5A8B6C21u);
    }
}

TEST_CASE("extracting overwrites an existing file, read-only or not, and DestName wins over DestPath") {
    ScratchFolder scratch("unrar-overwrite");
    std::string path = PutArchive(scratch.path(), Archive({{"a.txt", "new contents"}, {"b.txt", "second"}}));
    REQUIRE(WriteBytes(scratch / "a.txt", "old and longer contents"));
    REQUIRE(WriteBytes(scratch / "elsewhere.txt", "old"));
    SetFileAttributesA((scratch / "elsewhere.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    OpenedArchive archive(path, RAR_OM_EXTRACT);
    RARHeaderData header = {};
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(archive.Process(RAR_EXTRACT, scratch.path()) == ERAR_SUCCESS);
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(archive.Process(RAR_EXTRACT, scratch / "ignored", scratch / "elsewhere.txt") == ERAR_SUCCESS);
    CHECK(ReadBytes(scratch / "a.txt") == "new contents");
    CHECK(ReadBytes(scratch / "elsewhere.txt") == "second");
    CHECK(GetFileAttributesA((scratch / "ignored").c_str()) == INVALID_FILE_ATTRIBUTES);
}

TEST_CASE("skip and test write nothing; list mode writes nothing whatever the operation") {
    ScratchFolder scratch("unrar-ops");
    std::string path = PutArchive(scratch.path(), Archive(SampleEntries()));
    std::string dest = scratch / "out";
    for (unsigned mode : {RAR_OM_LIST, RAR_OM_EXTRACT}) {
        for (int operation : {RAR_SKIP, RAR_TEST, RAR_EXTRACT}) {
            if (mode == RAR_OM_EXTRACT && operation == RAR_EXTRACT) {
                continue;
            }
            CAPTURE(mode);
            CAPTURE(operation);
            OpenedArchive archive(path, mode);
            RARHeaderData header = {};
            size_t count = 0;
            while (archive.ReadHeader(header) == ERAR_SUCCESS) {
                CHECK(archive.Process(operation, dest) == ERAR_SUCCESS);
                ++count;
            }
            CHECK(count == SampleEntries().size());
            CHECK(GetFileAttributesA(dest.c_str()) == INVALID_FILE_ATTRIBUTES);
        }
    }
}

TEST_CASE("a data CRC mismatch is 12 from test and extract, and the partial file is removed") {
    ScratchFolder scratch("unrar-crc");
    Entry bad{"bad.bin", Bytes(150000, 9)};
    bad.corruptCrc = true;
    std::string path = PutArchive(scratch.path(), Archive({bad, {"good.txt", "fine"}}));
    for (int operation : {RAR_TEST, RAR_EXTRACT}) {
        CAPTURE(operation);
        OpenedArchive archive(path, RAR_OM_EXTRACT);
        RARHeaderData header = {};
        REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
        CHECK(archive.Process(operation, scratch / "out") == ERAR_BAD_DATA);
        CHECK(GetFileAttributesA((scratch / "out\\bad.bin").c_str()) == INVALID_FILE_ATTRIBUTES);
        // The next entry is still reachable.
        REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
        CHECK(archive.Process(operation, scratch / "out") == ERAR_SUCCESS);
    }
    CHECK(ReadBytes(scratch / "out\\good.txt") == "fine");
}

TEST_CASE("a damaged header is 12 from RARReadHeader") {
    ScratchFolder scratch("unrar-header");
    std::string bytes = Archive({{"a.txt", "abc"}, {"b.txt", "def"}});
    size_t second = FileHeaderOffset(bytes, 1);
    bytes[second + 32] ^= 0x01; // a letter of the second name
    OpenedArchive archive(PutArchive(scratch.path(), bytes), RAR_OM_EXTRACT);
    RARHeaderData header = {};
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(archive.Process(RAR_TEST, "") == ERAR_SUCCESS);
    CHECK(archive.ReadHeader(header) == ERAR_BAD_DATA);
}

TEST_CASE("entries it cannot unpack are reported, not written") {
    ScratchFolder scratch("unrar-method");
    Entry packed{"packed.bin", "\x0d\x00\x00\x00 not really packed"};
    packed.method = 0x33;
    Entry encrypted{"secret.txt", "ciphertext"};
    encrypted.extraFlags = 0x0004;
    Entry split{"split.txt", "first part"};
    split.extraFlags = 0x0002;
    std::string path = PutArchive(scratch.path(), Archive({packed, encrypted, split}));
    OpenedArchive archive(path, RAR_OM_EXTRACT);
    RARHeaderData header = {};
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(header.Method == 0x33);
    CHECK(archive.Process(RAR_EXTRACT, scratch / "out") == ERAR_UNKNOWN_FORMAT);
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(header.Flags == RHDF_ENCRYPTED);
    CHECK(archive.Process(RAR_EXTRACT, scratch / "out") == ERAR_MISSING_PASSWORD);
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(header.Flags == RHDF_SPLITAFTER);
    CHECK(archive.Process(RAR_EXTRACT, scratch / "out") == ERAR_UNKNOWN_FORMAT);
    CHECK(Entries(scratch / "out").empty());
}

TEST_CASE("the rest of a file from an earlier volume is listed only in RAR_OM_LIST_INCSPLIT") {
    ScratchFolder scratch("unrar-split");
    Entry rest{"rest.txt", "second part"};
    rest.extraFlags = 0x0001;
    std::string path = PutArchive(scratch.path(), Archive({rest, {"whole.txt", "all here"}}));
    for (unsigned mode : {RAR_OM_LIST, RAR_OM_EXTRACT, RAR_OM_LIST_INCSPLIT}) {
        CAPTURE(mode);
        OpenedArchive archive(path, mode);
        RARHeaderData header = {};
        REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
        if (mode == RAR_OM_LIST_INCSPLIT) {
            CHECK(std::string(header.FileName) == "rest.txt");
            CHECK(header.Flags == RHDF_SPLITBEFORE);
            CHECK(archive.Process(RAR_SKIP, "") == ERAR_SUCCESS);
            REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
        }
        CHECK(std::string(header.FileName) == "whole.txt");
    }
}

TEST_CASE("a directory entry makes a folder") {
    ScratchFolder scratch("unrar-dir");
    Entry folder{"docs\\inner", ""};
    folder.extraFlags = 0x00E0;
    folder.attributes = FILE_ATTRIBUTE_DIRECTORY;
    OpenedArchive archive(PutArchive(scratch.path(), Archive({folder})), RAR_OM_EXTRACT);
    RARHeaderData header = {};
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(header.Flags == RHDF_DIRECTORY);
    CHECK(archive.Process(RAR_EXTRACT, scratch / "out") == ERAR_SUCCESS);
    DWORD attributes = GetFileAttributesA((scratch / "out\\docs\\inner").c_str());
    CHECK((attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)));
}

TEST_CASE("a file that cannot be created is 16") {
    ScratchFolder scratch("unrar-create");
    std::string path = PutArchive(scratch.path(), Archive({{"a.txt", "abc"}, {"b.txt", "def"}}));
    REQUIRE(CreateDirectoryA((scratch / "taken").c_str(), nullptr));
    REQUIRE(WriteBytes(scratch / "plainfile", "x"));
    OpenedArchive archive(path, RAR_OM_EXTRACT);
    RARHeaderData header = {};
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(archive.Process(RAR_EXTRACT, "", scratch / "taken") == ERAR_ECREATE);
    REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
    CHECK(archive.Process(RAR_EXTRACT, scratch / "plainfile\\below") == ERAR_ECREATE);
    CHECK(ReadBytes(scratch / "plainfile") == "x");
}

TEST_CASE("opening: no file is a null handle and 15, not RAR 13, RAR 5 14") {
    ScratchFolder scratch("unrar-open");
    struct Case {
        const char* label;
        std::string bytes;
        unsigned expected;
    };
    const Case cases[] = {
        {"text", "just some text, not an archive at all", ERAR_BAD_ARCHIVE},
        {"empty", "", ERAR_BAD_ARCHIVE},
        {"marker only", kMarker, ERAR_BAD_ARCHIVE},
        {"zip", std::string("PK\x03\x04", 4) + std::string(40, '\0'), ERAR_BAD_ARCHIVE},
        {"rar5", std::string("Rar!\x1a\x07\x01\x00", 8) + std::string(40, '\0'), ERAR_UNKNOWN_FORMAT},
    };
    for (const Case& c : cases) {
        CAPTURE(c.label);
        OpenedArchive archive(PutArchive(scratch.path(), c.bytes, "case.rar"), RAR_OM_EXTRACT);
        CHECK(archive.handle() == nullptr);
        CHECK(archive.result() == c.expected);
    }
    OpenedArchive missing(scratch / "missing.rar", RAR_OM_LIST);
    CHECK(missing.handle() == nullptr);
    CHECK(missing.result() == ERAR_EOPEN);
    RAROpenArchiveData noName = {};
    CHECK(Unrar().open(&noName) == nullptr);
    CHECK(noName.OpenResult == ERAR_EOPEN);
}

TEST_CASE("the package data.z lists its members in order and extracts them byte for byte") {
    std::string bin = testsupport::ProgramFolder();
    std::string package = bin + "\\..\\dist\\data.z";
    REQUIRE(GetFileAttributesA(package.c_str()) != INVALID_FILE_ATTRIBUTES);
    ScratchFolder scratch("unrar-package");
    OpenedArchive archive(package, RAR_OM_EXTRACT);
    REQUIRE(archive.handle());
    RARHeaderData header = {};
    std::vector<std::string> names;
    while (archive.ReadHeader(header) == ERAR_SUCCESS) {
        names.push_back(header.FileName);
        CHECK(archive.Process(RAR_EXTRACT, scratch.path()) == ERAR_SUCCESS);
    }
    REQUIRE(names.size() >= 3);
    CHECK(names.front() == "KestrinConduit.dll");
    CHECK(names[1] == "KestrinManager.exe");
    CHECK(names.back() == "Kestrin.prc");
    for (const std::string& name : names) {
        if (name != "Kestrin.prc") {
            CAPTURE(name);
            CHECK(ReadBytes(scratch / name) == ReadBytes(testsupport::Join(bin, name)));
        }
    }
    CHECK(ReadBytes(scratch / "Kestrin.prc") == ReadBytes(bin + "\\..\\package\\Kestrin.prc"));
}

namespace {

struct DataSeen {
    unsigned calls = 0;
    unsigned long long bytes = 0;
};

int CALLBACK CountData(UINT message, LPARAM userData, LPARAM, LPARAM size) {
    auto* seen = reinterpret_cast<DataSeen*>(userData);
    if (message == UCM_PROCESSDATA) {
        ++seen->calls;
        seen->bytes += static_cast<unsigned long long>(size);
    }
    return 1;
}

int CALLBACK StopAtOnce(UINT, LPARAM, LPARAM, LPARAM) {
    return -1;
}

} // namespace

TEST_CASE("the Ex calls: wide names, archive flags, high sizes, the data callback, the version") {
    const UnrarLibrary& unrar = Unrar();
    REQUIRE((unrar.openEx != nullptr));
    REQUIRE((unrar.readHeaderEx != nullptr));
    REQUIRE((unrar.processFileW != nullptr));
    REQUIRE((unrar.getDllVersion != nullptr));
    CHECK(unrar.getDllVersion() == RAR_DLL_VERSION);

    ScratchFolder scratch("unrar-ex");
    std::string path = PutArchive(scratch.path(), Archive({{"sub\\wide.bin", Bytes(150000, 5)}}));
    std::wstring widePath(path.begin(), path.end());
    DataSeen seen;
    RAROpenArchiveDataEx open = {};
    open.ArcNameW = widePath.data();
    open.OpenMode = RAR_OM_EXTRACT;
    open.Callback = CountData;
    open.UserData = reinterpret_cast<LPARAM>(&seen);
    HANDLE archive = unrar.openEx(&open);
    REQUIRE(archive);
    CHECK(open.OpenResult == ERAR_SUCCESS);
    CHECK(open.Flags == 0);
    auto header = std::make_unique<RARHeaderDataEx>();
    REQUIRE(unrar.readHeaderEx(archive, header.get()) == ERAR_SUCCESS);
    CHECK(std::wstring(header->FileNameW) == L"sub\\wide.bin");
    CHECK(std::string(header->FileName) == "sub\\wide.bin");
    CHECK(std::wstring(header->ArcNameW) == widePath);
    CHECK(header->UnpSize == 150000);
    CHECK(header->UnpSizeHigh == 0);
    CHECK(header->PackSizeHigh == 0);
    CHECK(header->HashType == RAR_HASH_CRC32);
    CHECK((header->MtimeLow | header->MtimeHigh) != 0);
    std::wstring dest = widePath.substr(0, widePath.rfind(L'\\')) + L"\\out";
    CHECK(unrar.processFileW(archive, RAR_EXTRACT, dest.data(), nullptr) == ERAR_SUCCESS);
    CHECK(seen.bytes == 150000);
    CHECK(seen.calls >= 3);
    CHECK(unrar.close(archive) == ERAR_SUCCESS);
    CHECK(ReadBytes(scratch / "out\\sub\\wide.bin") == Bytes(150000, 5));

    SUBCASE("a callback that answers -1 stops the extraction and leaves no file") {
        OpenedArchive again(path, RAR_OM_EXTRACT);
        unrar.setCallback(again.handle(), StopAtOnce, 0);
        RARHeaderData plain = {};
        REQUIRE(again.ReadHeader(plain) == ERAR_SUCCESS);
        CHECK(again.Process(RAR_EXTRACT, scratch / "stopped") != ERAR_SUCCESS);
        CHECK(GetFileAttributesA((scratch / "stopped\\sub\\wide.bin").c_str()) == INVALID_FILE_ATTRIBUTES);
    }
}

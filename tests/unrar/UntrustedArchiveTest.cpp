// unrar.dll on archives made to harm: names that leave the destination, truncated files, sizes
// past the end or absurd, and a run of mutated archives. Every one must end in a result code,
// with nothing written outside the destination.
#include "tests/support/Files.h"
#include "tests/unrar/RarBuilder.h"
#include "tests/unrar/UnrarLibrary.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <set>

using namespace rartest;
using testsupport::Entries;
using testsupport::ScratchFolder;

namespace {

// A scratch folder holding only "dest", the folder extractions go to; the archive lives apart.
struct Sandbox {
    explicit Sandbox(const std::string& label) : archives(label + "-arc"), root(label) {
        CreateDirectoryA(dest().c_str(), nullptr);
    }
    std::string dest() const { return root / "dest"; }
    bool NothingOutside() const { return Entries(root.path()) == std::set<std::string>{"dest"}; }

    ScratchFolder archives;
    ScratchFolder root;
};

// Reads and extracts every entry until the archive ends or fails; false if it never stops.
bool ExtractAll(const std::string& path, const std::string& dest, std::vector<int>& results) {
    OpenedArchive archive(path, RAR_OM_EXTRACT);
    if (!archive.handle()) {
        results.push_back(static_cast<int>(archive.result()));
        return true;
    }
    RARHeaderData header = {};
    for (int step = 0; step < 64; ++step) {
        int read = archive.ReadHeader(header);
        if (read != ERAR_SUCCESS) {
            results.push_back(read);
            return true;
        }
        results.push_back(archive.Process(RAR_EXTRACT, dest));
    }
    return false;
}

bool IsResultCode(int code) {
    return code == ERAR_SUCCESS || (code >= ERAR_END_ARCHIVE && code <= ERAR_BAD_PASSWORD);
}

} // namespace

TEST_CASE("stored names that leave the destination are refused with 16, the rest still extract") {
    const char* const hostile[] = {
        "..\\escaped.txt",
        "../escaped.txt",
        "a\\..\\..\\escaped.txt",
        "\\rooted.txt",
        "/rooted.txt",
        "C:\\drive.txt",
        "C:drive.txt",
        "Z:escaped.txt",
        "\\\\server\\share\\unc.txt",
        ".. \\escaped.txt",
        "...\\escaped.txt",
        "a\\..",
        "CON",
        "nul.txt",
        "sub\\COM1",
        "lpt9.log",
        "stream.txt:hidden",
        "wild*.txt",
        "\\\\?\\C:\\long.txt",
        "bell\a.txt",
    };
    Sandbox box("unrar-names");
    for (const char* name : hostile) {
        CAPTURE(name);
        std::string path =
            PutArchive(box.archives.path(), Archive({{name, "payload"}, {"safe.txt", "fine"}}));
        OpenedArchive archive(path, RAR_OM_EXTRACT);
        RARHeaderData header = {};
        REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
        CHECK(archive.Process(RAR_EXTRACT, box.dest()) == ERAR_ECREATE);
        REQUIRE(archive.ReadHeader(header) == ERAR_SUCCESS);
        CHECK(archive.Process(RAR_EXTRACT, box.dest()) == ERAR_SUCCESS);
        CHECK(Entries(box.dest()) == std::set<std::string>{"safe.txt"});
        CHECK(box.NothingOutside());
    }
}

TEST_CASE("names that only look odd stay inside and are written") {
    Sandbox box("unrar-oddnames");
    std::string path = PutArchive(box.archives.path(), Archive({{".\\dot.txt", "1"},
                                                                {"a\\.\\b.txt", "2"},
                                                                {"x..y.txt", "3"},
                                                                {"dir\\\\double.txt", "4"},
                                                                {"console.txt", "5"}}));
    std::vector<int> results;
    REQUIRE(ExtractAll(path, box.dest(), results));
    CHECK(results == std::vector<int>{0, 0, 0, 0, 0, ERAR_END_ARCHIVE});
    CHECK(Entries(box.dest()) == std::set<std::string>{"dot.txt", "a", "x..y.txt", "dir", "console.txt"});
    CHECK(testsupport::ReadBytes(box.dest() + "\\dir\\double.txt") == "4");
}

TEST_CASE("truncated archives give a code at every cut, never a crash or a stray file") {
    Sandbox box("unrar-truncated");
    std::string whole = Archive({{"a.txt", std::string(3000, 'a')}, {"b\\c.txt", std::string(70000, 'c')}});
    for (size_t cut = 0; cut < whole.size(); cut += (cut < 200 ? 1 : 997)) {
        CAPTURE(cut);
        std::vector<int> results;
        REQUIRE(ExtractAll(PutArchive(box.archives.path(), whole.substr(0, cut)), box.dest(), results));
        for (int code : results) {
            CHECK(IsResultCode(code));
        }
        bool cutInsideTheEntries = cut < whole.size() - EndBlock().size();
        if (cutInsideTheEntries && cut > FileHeaderOffset(whole, 0)) {
            CHECK(results.back() != ERAR_SUCCESS);
            CHECK(std::find(results.begin(), results.end(), ERAR_BAD_DATA) != results.end());
        }
        CHECK(box.NothingOutside());
    }
}

TEST_CASE("sizes past the end of the file and absurd header sizes are 12") {
    Sandbox box("unrar-sizes");
    std::string good = Archive({{"a.txt", "abcdef"}});
    size_t header = FileHeaderOffset(good, 0);
    struct Case {
        const char* label;
        size_t offset;
        uint32_t value;
        bool u16;
    };
    const Case cases[] = {
        {"pack size 4 GiB - 1", header + 7, 0xFFFFFFFFu, false},
        {"pack size past the end", header + 7, 0x7FFFFFFFu, false},
        {"head size 0", header + 5, 0, true},
        {"head size 6", header + 5, 6, true},
        {"head size 65535", header + 5, 0xFFFF, true},
        {"head size below a file header", header + 5, 20, true},
        {"name size 65535", header + 26, 0xFFFF, true},
        {"name size 0", header + 26, 0, true},
    };
    for (const Case& c : cases) {
        CAPTURE(c.label);
        std::string bytes = good;
        c.u16 ? PutU16(bytes, c.offset, static_cast<uint16_t>(c.value)) : PutU32(bytes, c.offset, c.value);
        FixHeaderCrc(bytes, header);
        std::vector<int> results;
        REQUIRE(ExtractAll(PutArchive(box.archives.path(), bytes), box.dest(), results));
        CHECK(std::find(results.begin(), results.end(), ERAR_BAD_DATA) != results.end());
        CHECK(Entries(box.dest()).empty());
        CHECK(box.NothingOutside());
    }
}

TEST_CASE(
    "600 mutated archives: bit flips, cuts and extreme size fields end in a code, inside the destination") {
    Sandbox box("unrar-mutated");
    std::string base = Archive({{"one.txt", "first entry's bytes"},
                                {"sub\\two.bin", std::string(5000, '\x5a')},
                                {"three.txt", "last"}});
    std::vector<size_t> headers = {FileHeaderOffset(base, 0), FileHeaderOffset(base, 1),
                                   FileHeaderOffset(base, 2)};
    uint32_t seed = 20260601;
    auto next = [&seed](uint32_t bound) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<uint32_t>((static_cast<uint64_t>(seed >> 8) * bound) >> 24);
    };
    const uint32_t extremes[] = {0, 1, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF, 0x80000000};
    int accepted = 0;
    for (int round = 0; round < 600; ++round) {
        std::string bytes = base;
        size_t header = headers[next(3)];
        switch (round % 4) {
        case 0: // flipped bits anywhere, headers' CRCs left as they were
            for (uint32_t flips = 1 + next(4); flips > 0; --flips) {
                bytes[next(static_cast<uint32_t>(bytes.size()))] ^= static_cast<char>(1 << next(8));
            }
            break;
        case 1: // flipped bits in a file header, its CRC made right again so the fields are believed
            for (uint32_t flips = 1 + next(3); flips > 0; --flips) {
                bytes[header + 2 + next(30 + 9)] ^= static_cast<char>(1 << next(8));
            }
            FixHeaderCrc(bytes, header);
            break;
        case 2: { // an extreme value in a size field, CRC made right
            const size_t fields[] = {5, 7, 11, 26};
            size_t field = header + fields[next(4)];
            uint32_t value = extremes[next(7)];
            field == header + 5 || field == header + 26 ? PutU16(bytes, field, static_cast<uint16_t>(value))
                                                        : PutU32(bytes, field, value);
            FixHeaderCrc(bytes, header);
            break;
        }
        default: // cut short, sometimes with a flipped bit too
            bytes.resize(next(static_cast<uint32_t>(bytes.size())));
            if (!bytes.empty() && next(2)) {
                bytes[next(static_cast<uint32_t>(bytes.size()))] ^= 0x10;
            }
            break;
        }
        CAPTURE(round);
        std::vector<int> results;
        REQUIRE(ExtractAll(PutArchive(box.archives.path(), bytes), box.dest(), results));
        for (int code : results) {
            CHECK(IsResultCode(code));
        }
        accepted += results.back() == ERAR_END_ARCHIVE ? 1 : 0;
        REQUIRE(box.NothingOutside());
        testsupport::RemoveTree(box.dest());
        CreateDirectoryA(box.dest().c_str(), nullptr);
    }
    // Some mutations leave a readable archive (a flipped data byte of an entry that fails its CRC
    // still ends the archive normally); most must not.
    CHECK(accepted < 600);
    MESSAGE("mutated archives read to their end: " << accepted << " of 600");
}

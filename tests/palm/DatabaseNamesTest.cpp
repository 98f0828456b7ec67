// Database names to file names and back, on the real (case-insensitive) file system.
#include "emulated/palm/storage/DatabaseNames.h"
#include "emulated/palm/storage/HandheldFolder.h"
#include "tests/palm/PalmTestSupport.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <cstring>
#include <set>

using namespace palmtest;

namespace {

std::vector<std::string> AwkwardNames() {
    std::vector<std::string> names = {"Notes",
                                      "notes",
                                      "NOTES",
                                      "nOtEs",
                                      "a\\b",
                                      "a/b",
                                      "c:x",
                                      "*?\"<>|",
                                      std::string("\x01\x1f\x7f", 3),
                                      "\x80\xff\xe9",
                                      "trail.",
                                      "trail..",
                                      "trail ",
                                      " lead",
                                      ".",
                                      "..",
                                      "...",
                                      "CON",
                                      "con",
                                      "Con",
                                      "con.txt",
                                      "com1.txt",
                                      "COM1",
                                      "lpt9",
                                      "nul.",
                                      "aux .x",
                                      "prn ",
                                      "clock$",
                                      "100%",
                                      "^caret",
                                      "%41",
                                      "%2e",
                                      "a~1",
                                      "abcdef~1.txt",
                                      "Saved Preferences",
                                      "KestrinDatabaseFiles",
                                      std::string(31, 'Z'),
                                      std::string(31, '%'),
                                      "x",
                                      "X",
                                      "^",
                                      "^^x",
                                      "a^b",
                                      "A^B"};
    for (int c = 1; c < 256; ++c) {
        names.push_back(std::string(1, static_cast<char>(c)));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return text;
}

bool IsPortableFileName(const std::string& fileName) {
    for (unsigned char c : fileName) {
        if (c < 0x20 || c >= 0x7F || std::strchr("\\/:*?\"<>|~", c) != nullptr) {
            return false;
        }
    }
    std::string base = Lower(fileName.substr(0, fileName.find('.')));
    for (const char* device : {"con", "prn", "aux", "nul", "com1", "lpt9", "clock$"}) {
        if (base == device) {
            return false;
        }
    }
    char beforeSuffix = fileName[fileName.size() - 5];
    return beforeSuffix != '.' && beforeSuffix != ' ';
}

} // namespace

TEST_CASE("every database name maps to its own file name and back") {
    std::set<std::string> seen;
    for (const std::string& name : AwkwardNames()) {
        CAPTURE(name);
        std::string fileName = palm::DatabaseFileName(name);
        CAPTURE(fileName);
        CHECK(IsPortableFileName(fileName));
        CHECK(seen.insert(Lower(fileName)).second);
        std::string back;
        REQUIRE(palm::DatabaseNameFromFileName(fileName, back));
        CHECK(back == name);
        REQUIRE(palm::DatabaseNameFromFileName(Lower(fileName), back));
        CHECK(back == name);
    }
}

TEST_CASE("file names no database name makes are not databases") {
    std::string name;
    for (const char* fileName :
         {"notes.txt", ".pdb", "a.pdb.new", "a.pdb.tmp", "%zz.pdb", "%4.pdb", "%00.pdb", "a^.pdb", "^1.pdb",
          "%41%41%41%41%41%41%41%41%41%41%41%41%41%41%41%41%41%41%41%41"
          "%41%41%41%41%41%41%41%41%41%41%41%41.pdb"}) {
        CAPTURE(fileName);
        CHECK_FALSE(palm::DatabaseNameFromFileName(fileName, name));
    }
}

TEST_CASE("awkward names are distinct databases in one folder") {
    ScratchFolder folder{"palm"};
    palm::HandheldFolder handheld(folder.path());
    std::vector<std::string> names = AwkwardNames();
    for (const std::string& name : names) {
        CAPTURE(name);
        palm::DatabaseHeader header;
        header.name = name;
        std::unique_ptr<palm::Database> database;
        REQUIRE(handheld.Create(header, database) == palm::Status::Ok);
    }
    CHECK(FileNames(folder.path()).size() == names.size());
    CHECK(handheld.DatabaseNames() == names);
    for (const std::string& name : names) {
        CAPTURE(name);
        std::unique_ptr<palm::Database> database;
        REQUIRE(handheld.Open(name, database) == palm::Status::Ok);
        CHECK(database->Header().name == name);
    }
}

// The shared path and file rules: joining and completing paths, recognising one folder or file
// however spelt, and the copies and deletions the programs make.
#include "tests/support/Files.h"
#include "win/FileIdentity.h"
#include "win/FileSystem.h"
#include "win/Paths.h"

#include <doctest/doctest.h>

using testsupport::ReadWholeFile;
using testsupport::ScratchFolder;
using testsupport::WriteBytes;
using namespace win;

TEST_CASE("JoinPath puts exactly one backslash between folder and name") {
    CHECK(JoinPath("", "a.txt") == "a.txt");
    CHECK(JoinPath("C:\\Out\\", "a.txt") == "C:\\Out\\a.txt");
    CHECK(JoinPath("C:\\Out", "a.txt") == "C:\\Out\\a.txt");
    CHECK(JoinPath("C:\\", "a.txt") == "C:\\a.txt");
}

TEST_CASE("relative folders are made full from the start folder; full ones are kept") {
    const std::string base = "C:\\Program Files\\Kestrin";
    CHECK(FullPathFrom(base, "Outbox") == "C:\\Program Files\\Kestrin\\Outbox");
    CHECK(FullPathFrom(base, ".\\Outbox\\") == "C:\\Program Files\\Kestrin\\Outbox\\");
    CHECK(FullPathFrom(base, "..\\Shared") == "C:\\Program Files\\Shared");
    CHECK(FullPathFrom(base, "\\Data") == "C:\\Data");
    CHECK(FullPathFrom(base, "c:Inbox") == "C:\\Program Files\\Kestrin\\Inbox");
    CHECK(FullPathFrom(base, "C:/Data/Out") == "C:\\Data\\Out");
    CHECK(FullPathFrom("\\\\server\\share\\kestrin", "\\Data") == "\\\\server\\share\\Data");
    // A full path is kept exactly as typed.
    CHECK(FullPathFrom(base, "D:\\Some\\..\\Where\\") == "D:\\Some\\..\\Where\\");
    CHECK(FullPathFrom(base, "").empty());
}

TEST_CASE("file helpers: existence, same file, copy and delete") {
    ScratchFolder folder("paths");
    std::string file = folder / "data.bin";
    std::string sub = folder / "Sub";
    REQUIRE((WriteBytes(file, "12345") && CreateDirectoryA(sub.c_str(), nullptr)));

    CHECK(FileExists(file));
    CHECK_FALSE(FileExists(sub));
    CHECK(FolderExists(sub));
    CHECK_FALSE(FolderExists(file));
    CHECK_FALSE(FolderExists(""));

    SUBCASE("a copy onto the same file spelt differently is refused and keeps the contents") {
        std::string otherSpelling = folder.path() + "\\\\DATA.BIN";
        CHECK(IsSameFile(file, otherSpelling));
        CHECK_FALSE(CopyReplacing(file, otherSpelling));
        CHECK(ReadWholeFile(file) == "12345");
    }
    SUBCASE("a copy replaces a file of the target's name") {
        std::string target = folder / "target.bin";
        REQUIRE(WriteBytes(target, "old"));
        CHECK_FALSE(IsSameFile(file, target));
        CHECK(CopyReplacing(file, target));
        CHECK(ReadWholeFile(target) == "12345");
    }
    SUBCASE("delete: read-only files go, missing files count as gone, folders stay") {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
        CHECK(DeleteFileIfPresent(file));
        CHECK_FALSE(FileExists(file));
        CHECK(DeleteFileIfPresent(file));
        CHECK(DeleteFileIfPresent(folder / "nowhere\\x.txt"));
        CHECK_FALSE(DeleteFileIfPresent(sub));
    }
}

TEST_CASE("the same folder is recognised however it is spelt") {
    ScratchFolder folder("paths");
    std::string longName = folder / "Files for the handheld";
    std::string other = folder / "Other";
    REQUIRE((CreateDirectoryA(longName.c_str(), nullptr) && CreateDirectoryA(other.c_str(), nullptr)));
    char shortName[MAX_PATH] = {};
    REQUIRE(GetShortPathNameA(longName.c_str(), shortName, sizeof(shortName)) > 0);
    REQUIRE(std::string(shortName) != longName);

    CHECK(IsSameFolder(longName, longName));
    CHECK(IsSameFolder(longName, longName + "\\"));
    CHECK(IsSameFolder(longName, folder / "FILES FOR THE HANDHELD"));
    CHECK(IsSameFolder(longName, shortName));
    CHECK(IsSameFolder(longName, other + "\\..\\Files for the handheld"));
    CHECK_FALSE(IsSameFolder(longName, other));
    CHECK_FALSE(IsSameFolder(longName, folder.path()));

    SUBCASE("folders that do not exist are compared by their full paths") {
        CHECK(IsSameFolder(folder / "Missing", folder.path() + "\\MISSING\\"));
        CHECK_FALSE(IsSameFolder(folder / "Missing", folder / "Missing2"));
        CHECK_FALSE(IsSameFolder(folder / "Missing", longName));
    }
}

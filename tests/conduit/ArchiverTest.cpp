// The archiver lookup, the four command lines and the archiver runs, with the test archivers.
#include "conduit/Archiver.h"
#include "conduit/PcFiles.h"
#include "tests/conduit/TransferSupport.h"
#include "win/FileSystem.h"

#include <doctest/doctest.h>

using namespace transfer_test;

TEST_CASE("the four command lines put the program path first, unquoted") {
    CHECK(CompressCommand(settings::WinZip, "C:\\WinZip\\winzip32.exe", "notes.txt") ==
          "C:\\WinZip\\winzip32.exe -a \"$$temp$$.zip\" \"notes.txt\"");
    CHECK(CompressCommand(settings::WinRar, "C:\\Program Files\\WinRAR\\WinRAR.exe", "My notes.txt") ==
          "C:\\Program Files\\WinRAR\\WinRAR.exe a \"$$temp$$.rar\" \"My notes.txt\"");
    CHECK(ExpandCommand(settings::WinZip, "C:\\WinZip\\winzip32.exe") ==
          "C:\\WinZip\\winzip32.exe -e \"$$temp$$.zip\"");
    CHECK(ExpandCommand(settings::WinRar, "W.exe") == "W.exe e \"$$temp$$.rar\"");
    CHECK(std::string(TemporaryArchiveName(settings::WinZip)) == "$$temp$$.zip");
    CHECK(std::string(TemporaryArchiveName(settings::WinRar)) == "$$temp$$.rar");
}

TEST_CASE("ResolveArchiverPath reads the App Paths registration") {
    SUBCASE("not registered") {
        ArchiverRegistration none(settings::WinRar, std::nullopt);
        CHECK_FALSE(ResolveArchiverPath(settings::WinRar).has_value());
    }
    SUBCASE("registered") {
        ArchiverRegistration zip(settings::WinZip, std::string("C:\\Some Folder\\winzip32.exe"));
        CHECK(ResolveArchiverPath(settings::WinZip) ==
              std::optional<std::string>("C:\\Some Folder\\winzip32.exe"));
        ArchiverRegistration none(settings::WinRar, std::nullopt);
        CHECK_FALSE(ResolveArchiverPath(settings::WinRar).has_value());
    }
    SUBCASE("a key without a default value gives an empty path") {
        ArchiverRegistration empty(settings::WinZip, std::string());
        CHECK(ResolveArchiverPath(settings::WinZip) == std::optional<std::string>(""));
    }
}

TEST_CASE("RunArchiver runs the command hidden in the folder given and waits for it") {
    ScratchFolder folder("archiver");
    ArchiverRegistration zip(settings::WinZip, TestArchiverPath(settings::WinZip));
    ArchiverRegistration rar(settings::WinRar, TestArchiverPath(settings::WinRar));
    std::string data = Pattern(100000);
    REQUIRE(WriteBytes(folder / "notes.txt", data));

    for (auto archiver : {settings::WinZip, settings::WinRar}) {
        CAPTURE(archiver);
        std::string archive = folder / TemporaryArchiveName(archiver);
        // The archive is there as soon as RunArchiver returns: it waited for the archiver.
        CHECK(RunArchiver(CompressCommand(archiver, TestArchiverPath(archiver), "notes.txt"), folder.path()));
        CHECK(win::FileExists(archive));
        DeleteFileA((folder / "notes.txt").c_str());
        CHECK(RunArchiver(ExpandCommand(archiver, TestArchiverPath(archiver)), folder.path()));
        CHECK(ReadBytes(folder / "notes.txt") == data);
        DeleteFileA(archive.c_str());
        CHECK(ArchiverLog(archiver) ==
              std::vector<std::string>{CompressCommand(archiver, TestArchiverPath(archiver), "notes.txt"),
                                       ExpandCommand(archiver, TestArchiverPath(archiver))});
        // The stand-in notes how it was started: show-window flag set, window hidden.
        CHECK(ReadBytes(TestArchiverPath(archiver).substr(0, TestArchiverPath(archiver).rfind('.')) +
                        ".startup") == std::string("flags=1 show=0"));
    }
}

TEST_CASE("a program path with spaces runs without quotation marks") {
    ScratchFolder folder("archiver spaces");
    std::string program = folder / "Win Zip Folder";
    CreateDirectoryA(program.c_str(), nullptr);
    program = Join(program, "WinZip.exe");
    REQUIRE(CopyFileA(TestArchiverPath(settings::WinZip).c_str(), program.c_str(), FALSE));
    REQUIRE(WriteBytes(folder / "a.txt", "abc"));

    std::string command = CompressCommand(settings::WinZip, program, "a.txt");
    CHECK(command.find('"') == program.size() + 4);
    CHECK(RunArchiver(command, folder.path()));
    CHECK(win::FileExists(folder / "$$temp$$.zip"));
    // Wine quotes the program path it found in the child's copy of the command line.
    std::string log = ReadBytes(program.substr(0, program.rfind('.')) + ".log").value_or("");
    CHECK(log.find(program) != std::string::npos);
    CHECK(log.substr(log.find(".exe") + 4) == std::string("\" -a \"$$temp$$.zip\" \"a.txt\"\n"));
}

TEST_CASE("RunArchiver reports a program that cannot be started") {
    CHECK_FALSE(RunArchiver("C:\\no such folder\\WinZip.exe -e \"$$temp$$.zip\"", "C:\\"));
    CHECK_FALSE(RunArchiver("", "C:\\"));
}

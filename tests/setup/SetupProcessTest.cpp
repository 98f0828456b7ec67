#include "SetupTestSupport.h"

#include "tests/support/Processes.h"

#include <doctest/doctest.h>

namespace {

using Finished = testsupport::ProgramRun;

// Runs a command line to its end (two minutes at most) with its output in a file.
Finished RunProgram(const std::string& commandLine, const std::string& outputFile) {
    return testsupport::RunProgram(commandLine, outputFile, 120000, nullptr, CREATE_NO_WINDOW);
}

std::string BuiltProgram(const char* name) {
    return testsupport::ProgramFolder() + "\\..\\" + name;
}

// Setup.exe beside its package and unrar.dll, as a user unpacks the download.
std::string PlaceSetup(const SetupWorld& world) {
    std::string setup = world.packageFolder() + "\\Setup.exe";
    CopyFileA(BuiltProgram("Setup.exe").c_str(), setup.c_str(), FALSE);
    return setup;
}

std::string Driver(const std::string& arguments) {
    return "\"" + BuiltProgram("SetupDriver.exe") + "\" run " + arguments;
}

} // namespace

TEST_CASE("the real Setup.exe driven through its window installs, offers the restart and exits") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    const std::string setup = PlaceSetup(world);
    const std::string folder = world.Path("Driven Kestrin");

    Finished run = RunProgram(
        Driver("\"" + setup + "\" --folder \"" + folder + "\" --answer \"Restart Windows now?=no\""),
        world.Path("driver.txt"));

    CHECK(run.exitCode == 0);
    CHECK(run.output ==
          "message: Installation complete! You need to restart Windows before\\nthe new setting will "
          "take effect. Restart Windows now?\nexit: 0\n");
    CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "PathToManager") == folder);
    CHECK(FileExists(folder + "\\KestrinManager.exe"));
    CHECK(FileExists(world.hotSyncFolder() + "\\KestrinConduit.dll"));
    CHECK(FileExists(ProgramGroup() + "\\UnInstall Kestrin Manager.lnk"));
}

TEST_CASE("the real Setup.exe shows a failure, asks before a cancel, and refuses without HotSync Manager") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    const std::string setup = PlaceSetup(world);
    std::string arguments = "\"" + setup + "\" --folder \"" + world.Path("Kestrin") + "\"";
    std::string expected;
    SUBCASE("condmgr.dll missing") {
        DeleteFileA((world.hotSyncFolder() + "\\condmgr.dll").c_str());
        expected = "message: Error loading DLL\n";
    }
    SUBCASE("Cancel, answered Yes") {
        arguments += " --cancel --answer \"abort this installation?=yes\"";
        expected = "message: Do you want to abort this installation?\n";
    }
    SUBCASE("HotSync Manager missing") {
        DeleteHotSyncKey();
        expected = "message: HotSync Manager not found on your computer! Installation aborted.\n";
    }
    Finished run = RunProgram(Driver(arguments), world.Path("driver.txt"));
    CHECK(run.exitCode == 0);
    CHECK(run.output == expected + "exit: 0\n");
    CHECK_FALSE(FolderExists(ProgramGroup()));
}

TEST_CASE("the real Setup.exe /S installs without a window and exits with the failure's code") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    const std::string setup = PlaceSetup(world);
    const std::string folder = world.Path("Silent Kestrin");
    std::string arguments = " /S /D=" + folder;
    DWORD expected = 0;
    SUBCASE("success") {}
    SUBCASE("HotSync Manager missing") {
        DeleteHotSyncKey();
        expected = 2;
    }
    SUBCASE("package missing") {
        DeleteFileA((world.packageFolder() + "\\data.z").c_str());
        expected = 5;
    }
    SUBCASE("an argument it does not know") {
        arguments = " /S /Q";
        expected = 1;
    }
    Finished run = RunProgram("\"" + setup + "\"" + arguments, world.Path("setup.txt"));
    CHECK(run.exitCode == expected);
    CHECK(FileExists(folder + "\\UnInstall.exe") == (expected == 0));
    CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "PathToManager").has_value() == (expected == 0));
}

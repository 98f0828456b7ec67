#include "SetupTestSupport.h"

#include "setup/Installation.h"
#include "setup/resource.h"

#include <doctest/doctest.h>

namespace {

const char* kAbort = "Do you want to abort this installation?";

// A failure that ends the installation takes back what the steps before the package made.
void CheckEarlierStepsTakenBack(const std::string& folder) {
    CHECK(ValueCount(HKEY_CURRENT_USER, kSettingsKey) == -1);
    CHECK(ValueCount(HKEY_LOCAL_MACHINE, kUninstallKey) == -1);
    CHECK_FALSE(win::PathExists(folder));
}

struct DialogRun {
    std::string folder;
    ScriptedUi ui;
    OpenSetup setup{ui};

    explicit DialogRun(const SetupWorld& world) : folder(world.Path("Kestrin")) { setup.TypeFolder(folder); }
};

} // namespace

TEST_CASE("a package that cannot be opened or extracted asks whether to abort; No keeps the dialog") {
    SetupWorld world;
    std::string message;
    SUBCASE("no package: code 15") {
        message = "Cannot open archive";
    }
    SUBCASE("open code 11") {
        world.WritePackage({"open 11"});
        message = "Not enough memory";
    }
    SUBCASE("open code 12") {
        world.WritePackage({"open 12"});
        message = "Archive header broken";
    }
    SUBCASE("open code the tables do not name") {
        world.WritePackage({"open 21"});
        message = "Unknown archive error";
    }
    SUBCASE("CRC error in the third entry") {
        world.WritePackage({"entry KestrinConduit.dll conduit", "entry KestrinManager.exe manager", "fail 12",
                            "entry Kestrin.prc handheld"});
        message = "CRC error";
    }
    const std::pair<int, const char*> extractionFailures[] = {
        {13, "Bad volume"},        {14, "Unknown archive format"}, {15, "Volume open error"},
        {16, "File create error"}, {17, "File close error"},       {18, "Read error"},
        {19, "Write error"},       {21, "Unknown archive error"}};
    for (const auto& failure : extractionFailures) {
        SUBCASE(failure.second) {
            world.WritePackage({"fail " + std::to_string(failure.first)});
            message = failure.second;
        }
    }
    DialogRun run(world);
    run.ui.answers = {IDNO};
    run.setup.Install();

    CHECK(run.ui.Texts() == std::vector<std::string>{message, kAbort});
    CHECK(run.ui.messages[0].style == (MB_ICONSTOP | MB_OK));
    REQUIRE(run.setup.IsOpen());
    CHECK(run.setup.BarPosition() == 40);
    CheckEarlierStepsTakenBack(run.folder);
    CHECK(world.CondMgrCalls().empty());
    CHECK_FALSE(FolderExists(ProgramGroup()));
    CHECK(testsupport::Entries(world.hotSyncFolder()) == std::set<std::string>{"condmgr.dll"});
}

TEST_CASE("after No to the abort question, Yes ends the dialog, and a new Install starts over from 0") {
    SetupWorld world;
    world.WritePackage({"entry KestrinConduit.dll conduit", "entry KestrinManager.exe manager", "fail 12"});
    DialogRun run(world);
    run.ui.answers = {IDNO};
    run.setup.Install();
    REQUIRE(run.setup.IsOpen());
    CHECK(run.setup.BarPosition() == 40);

    SUBCASE("then Yes") {
        run.ui.answers = {IDYES};
        run.setup.CloseBox();
        CHECK(run.ui.Texts().back() == kAbort);
        CHECK_FALSE(run.setup.IsOpen());
    }
    SUBCASE("then a working package") {
        world.WriteFourEntryPackage();
        run.setup.Install();
        CHECK(run.ui.Texts().back() == kComplete);
        CHECK(run.setup.dialog().ProgressPos() == 101);
        CHECK(run.ui.messages.back().folderField == run.folder);
        CHECK_FALSE(run.setup.IsOpen());
    }
}

TEST_CASE("a broken header during the walk ends the dialog without a question") {
    SetupWorld world;
    world.WritePackage({"entry KestrinConduit.dll conduit", "header 12", "entry Kestrin.prc handheld"});
    DialogRun run(world);
    run.setup.Install();

    CHECK(run.ui.Texts() == std::vector<std::string>{"Archive header broken"});
    CHECK(run.ui.messages[0].style == (MB_ICONSTOP | MB_OK));
    CHECK_FALSE(run.setup.IsOpen());
    CHECK(run.setup.dialog().ProgressPos() == 40);
    CHECK_FALSE(FileExists(world.hotSyncFolder() + "\\KestrinConduit.dll"));
    CHECK_FALSE(FileExists(run.folder + "\\Kestrin.prc"));
    CHECK(world.CondMgrCalls().empty());
}

TEST_CASE("a header that cannot be read for another reason is never reported as a complete installation") {
    SetupWorld world;
    world.WritePackage({"entry KestrinConduit.dll conduit", "header 18"});
    DialogRun run(world);
    run.setup.Install();

    CHECK(run.ui.Texts() == std::vector<std::string>{"Read error"});
    CHECK_FALSE(run.setup.IsOpen());
    CHECK(run.setup.dialog().Outcome() == SetupOutcome::PackageHeaderBroken);
    CHECK(world.CondMgrCalls().empty());
}

TEST_CASE("unrar.dll or condmgr.dll missing or without its calls: the message, and nothing left") {
    struct Case {
        const char* name;
        Double unrar;
        Double condmgr;
        const char* message;
        int barPosition; // where the installation stopped: before the package, or after unpacking it
    };
    const Case cases[] = {
        {"unrar.dll missing", Double::Missing, Double::Working, "Error loading DLL", 40},
        {"unrar.dll without RARProcessFile", Double::Incomplete, Double::Working,
         "Error loading functions from DLL", 40},
        {"condmgr.dll missing from the HotSync folder", Double::Working, Double::Missing, "Error loading DLL",
         76},
        {"condmgr.dll without CmSetCreatorPriority", Double::Working, Double::Incomplete,
         "Error loading functions from DLL", 76},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        SetupWorld world(c.unrar, c.condmgr);
        world.WriteFourEntryPackage();
        DialogRun run(world);
        run.setup.Install();

        CHECK(run.ui.Texts() == std::vector<std::string>{c.message});
        CHECK(run.ui.messages[0].style == (MB_ICONSTOP | MB_OK));
        CHECK_FALSE(run.setup.IsOpen());
        CHECK(run.setup.dialog().ProgressPos() == c.barPosition);
        CheckEarlierStepsTakenBack(run.folder);
        CHECK_FALSE(FileExists(world.hotSyncFolder() + "\\KestrinConduit.dll"));
        CHECK(world.CondMgrCalls().empty());
        CHECK_FALSE(FolderExists(ProgramGroup()));
        if (c.unrar != Double::Working) {
            // The library is unloaded again: its file can go.
            CHECK(DeleteFileA((world.packageFolder() + "\\unrar.dll").c_str()) ==
                  (c.unrar == Double::Incomplete));
        }
    }
}

TEST_CASE("the creator registered already: no name, no priority, and the installation completes") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    world.SetInstallCreatorResult(-1005);
    DialogRun run(world);
    run.setup.Install();

    CHECK(run.ui.Texts() == std::vector<std::string>{kComplete});
    CHECK(world.CondMgrCalls() == "CmInstallCreator vqKT 0\n");
    CHECK(FileExists(ProgramGroup() + "\\Kestrin for Palm.lnk"));
    CHECK(run.setup.dialog().ProgressPos() == 101);
    CHECK_FALSE(run.setup.IsOpen());
}

TEST_CASE("a package of one entry or none is refused like a broken header, and nothing is extracted") {
    SetupWorld world;
    SUBCASE("one entry") {
        world.WritePackage({"entry KestrinConduit.dll conduit"});
    }
    SUBCASE("no entries") {
        world.WritePackage({});
    }
    DialogRun run(world);
    run.setup.Install();

    CHECK(run.ui.Texts() == std::vector<std::string>{"Archive header broken"});
    CHECK_FALSE(run.setup.IsOpen());
    CHECK(run.setup.dialog().Outcome() == SetupOutcome::PackageMembersUnexpected);
    CHECK(run.setup.dialog().ProgressPos() == 40);
    CHECK_FALSE(FolderExists(run.folder));
    CHECK(testsupport::Entries(world.hotSyncFolder()) == std::set<std::string>{"condmgr.dll"});
}

TEST_CASE("a package other than the installed files, or damaged, writes nothing into either folder") {
    const std::string conduit = "entry KestrinConduit.dll conduit",
                      manager = "entry KestrinManager.exe manager",
                      uninstall = "entry UnInstall.exe uninstaller", handheld = "entry Kestrin.prc handheld";
    const struct {
        const char* name;
        std::vector<std::string> lines;
        int exitCode;
    } packages[] = {
        {"an extra member", {conduit, manager, uninstall, handheld, "entry readme.txt text"}, 19},
        {"UnInstall.exe missing", {conduit, manager, handheld}, 19},
        {"entry 1 named condmgr.dll", {"entry condmgr.dll impostor", manager, uninstall, handheld}, 19},
        {"a folder named KestrinManager.exe",
         {conduit, "folder KestrinManager.exe", uninstall, handheld},
         19},
        {"members in another order", {conduit, uninstall, manager, handheld}, 19},
        {"a CRC error in the last entry", {conduit, manager, uninstall, "fail 12"}, 6},
    };
    for (const auto& package : packages) {
        SUBCASE(package.name) {
            SetupWorld world;
            world.WritePackage(package.lines);
            const std::string condmgr = ReadWholeFile(world.hotSyncFolder() + "\\condmgr.dll");
            testsupport::WriteBytes(world.hotSyncFolder() + "\\KestrinConduit.dll", "working conduit");
            const std::string folder = world.Path("Kestrin");
            SilentSetupUi ui;

            CHECK(RunSilentSetup(ui, folder) == package.exitCode);
            CHECK(ReadWholeFile(world.hotSyncFolder() + "\\condmgr.dll") == condmgr);
            CHECK(ReadWholeFile(world.hotSyncFolder() + "\\KestrinConduit.dll") == "working conduit");
            CHECK(testsupport::Entries(world.hotSyncFolder()) ==
                  std::set<std::string>{"condmgr.dll", "KestrinConduit.dll"});
            CHECK_FALSE(FolderExists(folder));
            CHECK(world.CondMgrCalls().empty());
        }
    }
}

TEST_CASE(
    "a reinstallation whose entry cannot be written keeps the file that was there, and no partial one") {
    SetupWorld world;
    const std::string folder = world.Path("Kestrin");
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    testsupport::WriteBytes(world.hotSyncFolder() + "\\KestrinConduit.dll", "working conduit");
    testsupport::WriteBytes(folder + "\\KestrinManager.exe", "working manager");
    SUBCASE("the conduit") {
        world.WritePackage({"cut KestrinConduit.dll half", "entry KestrinManager.exe manager",
                            "entry UnInstall.exe uninstaller", "entry Kestrin.prc handheld"});
    }
    SUBCASE("the manager, after the conduit was replaced") {
        world.WritePackage({"entry KestrinConduit.dll conduit", "cut KestrinManager.exe half",
                            "entry UnInstall.exe uninstaller", "entry Kestrin.prc handheld"});
    }
    SilentSetupUi ui;

    CHECK(RunSilentSetup(ui, folder) == 6);
    CHECK(ReadWholeFile(world.hotSyncFolder() + "\\KestrinConduit.dll") == "working conduit");
    CHECK(ReadWholeFile(folder + "\\KestrinManager.exe") == "working manager");
    CHECK(testsupport::Entries(world.hotSyncFolder()) ==
          std::set<std::string>{"condmgr.dll", "KestrinConduit.dll"});
    CHECK(testsupport::Entries(folder) == std::set<std::string>{"KestrinManager.exe"});
}

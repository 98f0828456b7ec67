#include "SetupTestSupport.h"

#include "settings/Settings.h"
#include "setup/SetupApp.h"

#include <doctest/doctest.h>

namespace {

// Nothing of an installation exists anywhere.
void CheckNothingInstalled(const SetupWorld& world) {
    CHECK(ValueCount(HKEY_CURRENT_USER, kSettingsKey) == -1);
    CHECK(ValueCount(HKEY_LOCAL_MACHINE, kUninstallKey) == -1);
    CHECK_FALSE(FolderExists(ProgramGroup()));
    CHECK_FALSE(FolderExists(DefaultInstallFolder()));
    CHECK(testsupport::Entries(world.hotSyncFolder()) == std::set<std::string>{"condmgr.dll"});
    CHECK(testsupport::Entries(world.packageFolder()) == std::set<std::string>{"data.z", "unrar.dll"});
}

} // namespace

TEST_CASE("Palm Desktop's record unusable: refused as when it is missing, with nothing written or loaded") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    SUBCASE("key missing") {
        DeleteHotSyncKey();
    }
    SUBCASE("value missing") {
        SetHotSyncPath("C:\\Palm\\HotSync.exe");
        win::RegKey key =
            settings::OpenKey(HKEY_CURRENT_USER, "Software\\U.S. Robotics\\Pilot Desktop\\Core");
        RegDeleteValueA(key.get(), "HotSyncPath");
    }
    SUBCASE("a number") {
        SetHotSyncValue(REG_DWORD, std::string("\x01\x02\x03\x04", 4));
    }
    SUBCASE("binary bytes that look like a path") {
        SetHotSyncValue(REG_BINARY, "C:\\Palm\\HotSync.exe");
    }
    SUBCASE("empty") {
        SetHotSyncPath("");
    }
    SUBCASE("no backslash") {
        SetHotSyncPath("HotSync.exe");
    }
    SUBCASE("longer than 259 characters") {
        SetHotSyncPath(world.hotSyncFolder() + "\\" + std::string(300, 'h') + ".exe");
    }
    ScriptedUi ui;
    OpenSetup setup(ui);

    CHECK_FALSE(setup.IsOpen());
    CHECK(ui.Texts() ==
          std::vector<std::string>{"HotSync Manager not found on your computer! Installation aborted."});
    CHECK(ui.messages[0].style == (MB_ICONSTOP | MB_OK));
    CHECK(setup.dialog().Outcome() == SetupOutcome::HotSyncMissing);
    CheckNothingInstalled(world);
    CHECK(world.CondMgrCalls().empty());
}

TEST_CASE("a HotSync path without a terminating zero but within the limit is still read") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    SetHotSyncValue(REG_SZ, world.hotSyncFolder() + "\\HotSync.exe");
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder(world.Path("Kestrin"));
    setup.Install();
    CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "PathToHotSync") == world.hotSyncFolder());
}

TEST_CASE("folder texts that cannot name a folder fall back to the default and write nowhere else") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    std::string typed;
    SUBCASE("overlong") {
        typed = "C:\\" + std::string(400, 'x');
    }
    SUBCASE("forbidden characters") {
        typed = world.Path("a<b>c|d?e*\"f");
    }
    SUBCASE("a device name as the folder") {
        typed = world.Path("CON");
    }
    SUBCASE("a device name as a parent") {
        typed = world.Path("NUL\\Kestrin");
    }
    SUBCASE("a bare device name") {
        typed = "LPT1";
    }
    SUBCASE("a drive that does not exist") {
        typed = "Q:\\Kestrin";
    }
    SUBCASE("an existing file") {
        testsupport::WriteBytes(world.Path("file"), "x");
        typed = world.Path("file");
    }
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder(typed);
    setup.Install();

    REQUIRE_FALSE(ui.messages.empty());
    CHECK(ui.messages[0].text == kFallback);
    CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "PathToManager") == DefaultInstallFolder());
    CHECK(FileExists(DefaultInstallFolder() + "\\KestrinManager.exe"));
    std::set<std::string> rootEntries = testsupport::Entries(world.root());
    rootEntries.erase("file");
    CHECK(rootEntries == std::set<std::string>{"Palm", "dist"});
    CHECK(testsupport::Entries(world.packageFolder()) == std::set<std::string>{"data.z", "unrar.dll"});
}

TEST_CASE("damaged packages end the installation with a message and extract nothing outside the layout") {
    SetupWorld world;
    std::string message;
    SUBCASE("random bytes") {
        testsupport::WriteBytes(world.packageFolder() + "\\data.z",
                                std::string("\x52\x61\x72\x21\x00\xff\x13", 7));
        message = "Unknown archive error";
    }
    SUBCASE("an empty file") {
        testsupport::WriteBytes(world.packageFolder() + "\\data.z", "");
        message = "Unknown archive error";
    }
    SUBCASE("a folder in the package's place") {
        CreateDirectoryA((world.packageFolder() + "\\data.z").c_str(), nullptr);
        message = "Cannot open archive";
    }
    ScriptedUi ui;
    OpenSetup setup(ui);
    const std::string folder = world.Path("Kestrin");
    setup.TypeFolder(folder);
    ui.answers = {IDYES};
    setup.Install();

    CHECK(ui.Texts() == std::vector<std::string>{message, "Do you want to abort this installation?"});
    CHECK_FALSE(setup.IsOpen());
    CHECK_FALSE(FolderExists(folder));
    CHECK(testsupport::Entries(world.hotSyncFolder()) == std::set<std::string>{"condmgr.dll"});
}

TEST_CASE("silent installation: exit 0 only when every step succeeded, a code of its own per failure") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    SilentSetupUi ui;
    const std::string folder = world.Path("Silent Kestrin");

    SUBCASE("success") {
        CHECK(RunSilentSetup(ui, folder) == 0);
        CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "PathToManager") == folder);
        CHECK(FileExists(folder + "\\UnInstall.exe"));
        CHECK(FileExists(ProgramGroup() + "\\Kestrin Manager.lnk"));
        CHECK(world.CondMgrCalls().find("CmSetCreatorPriority vqKT 2") != std::string::npos);
    }
    SUBCASE("no folder given: the default") {
        CHECK(RunSilentSetup(ui, std::nullopt) == 0);
        CHECK(FileExists(DefaultInstallFolder() + "\\UnInstall.exe"));
    }
    SUBCASE("HotSync Manager missing") {
        DeleteHotSyncKey();
        CHECK(RunSilentSetup(ui, folder) == 2);
        CheckNothingInstalled(world);
    }
    SUBCASE("unrar.dll missing") {
        DeleteFileA((world.packageFolder() + "\\unrar.dll").c_str());
        CHECK(RunSilentSetup(ui, folder) == 3);
    }
    SUBCASE("package missing") {
        DeleteFileA((world.packageFolder() + "\\data.z").c_str());
        CHECK(RunSilentSetup(ui, folder) == 5);
    }
    SUBCASE("an entry fails") {
        world.WritePackage({"entry KestrinConduit.dll conduit", "fail 16"});
        CHECK(RunSilentSetup(ui, folder) == 6);
    }
    SUBCASE("broken header") {
        world.WritePackage({"header 12"});
        CHECK(RunSilentSetup(ui, folder) == 7);
    }
    SUBCASE("condmgr.dll missing") {
        DeleteFileA((world.hotSyncFolder() + "\\condmgr.dll").c_str());
        CHECK(RunSilentSetup(ui, folder) == 8);
        CHECK_FALSE(FolderExists(ProgramGroup()));
    }
    SUBCASE("CmInstallCreator refuses") {
        world.SetInstallCreatorResult(-1008);
        CHECK(RunSilentSetup(ui, folder) == 10);
        CHECK_FALSE(FolderExists(ProgramGroup()));
    }
    SUBCASE("the creator is registered already: a reinstallation succeeds") {
        world.SetInstallCreatorResult(-1005);
        CHECK(RunSilentSetup(ui, folder) == 0);
        CHECK(world.CondMgrCalls() == "CmInstallCreator vqKT 0\n");
    }
    SUBCASE("the folder cannot be created") {
        CHECK(RunSilentSetup(ui, "Q:\\Kestrin") == 11);
        CHECK(FileExists(DefaultInstallFolder() + "\\UnInstall.exe"));
    }
}

namespace {

// Answers the grant of folder rights as told and records the folders it was asked for.
struct RightsUi : SilentSetupUi {
    explicit RightsUi(DWORD answer) : answer(answer) {}
    DWORD GrantUsersModify(const std::string& folder) override {
        folders.push_back(folder);
        return answer;
    }
    DWORD answer;
    std::vector<std::string> folders;
};

} // namespace

TEST_CASE("every user may modify the Outbox and the Inbox, and no other folder; a refusal has its own code") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    const std::string folder = world.Path("Kestrin");
    const struct {
        DWORD answer;
        int exitCode;
    } cases[] = {{ERROR_SUCCESS, 0}, {ERROR_ACCESS_DENIED, 18}};
    for (const auto& test : cases) {
        RightsUi ui(test.answer);
        CHECK(RunSilentSetup(ui, folder) == test.exitCode);
        CHECK(ui.folders == std::vector<std::string>{folder + "\\Outbox", folder + "\\Inbox"});
        // The installation went on to its end.
        CHECK(FileExists(ProgramGroup() + "\\Kestrin Manager.lnk"));
    }
}

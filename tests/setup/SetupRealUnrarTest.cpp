#include "SetupTestSupport.h"

#include <doctest/doctest.h>

namespace {

// The members the build puts into its package after the conduit, in the install folder.
std::set<std::string> InstallFolderMembers() {
    std::set<std::string> members = {"KestrinManager.exe", "Kestrin.prc"};
    if (FileExists(testsupport::ProgramFolder() + "\\..\\UnInstall.exe")) {
        members.insert("UnInstall.exe");
    }
    return members;
}

} // namespace

TEST_CASE("the build's package through the build's unrar.dll: the conduit to HotSync, the rest installed") {
    SetupWorld world(Double::Real);
    REQUIRE(FileExists(RealPackage()));
    CopyFileA(RealPackage().c_str(), (world.packageFolder() + "\\data.z").c_str(), FALSE);
    const std::string folder = world.Path("Kestrin");
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder(folder);
    setup.Install();

    std::set<std::string> members = InstallFolderMembers();
    CHECK(ui.Texts() == std::vector<std::string>{kComplete});
    CHECK(setup.dialog().ProgressPos() == 40 + 9 * static_cast<int>(members.size() + 1) + 25);
    CHECK(ReadWholeFile(world.hotSyncFolder() + "\\KestrinConduit.dll") ==
          ReadWholeFile(testsupport::ProgramFolder() + "\\..\\KestrinConduit.dll"));
    CHECK(ReadWholeFile(folder + "\\KestrinManager.exe") ==
          ReadWholeFile(testsupport::ProgramFolder() + "\\..\\KestrinManager.exe"));
    members.insert("Inbox");
    members.insert("Outbox");
    CHECK(testsupport::Entries(folder) == members);
}

TEST_CASE("damaged packages through the build's unrar.dll: a message, no crash, nothing outside the layout") {
    REQUIRE(FileExists(RealPackage()));
    const std::string package = ReadWholeFile(RealPackage());
    std::string damaged;
    SUBCASE("the signature alone") {
        damaged = package.substr(0, 7);
    }
    SUBCASE("cut in the first header") {
        damaged = package.substr(0, 30);
    }
    SUBCASE("cut in the middle") {
        damaged = package.substr(0, package.size() / 2);
    }
    SUBCASE("a byte of the first file header changed") {
        damaged = package;
        damaged[26] = static_cast<char>(damaged[26] ^ 0x5A);
    }
    SUBCASE("a byte of the conduit's data changed") {
        damaged = package;
        damaged[400] = static_cast<char>(damaged[400] ^ 0x01);
    }
    SUBCASE("the last bytes cut off") {
        damaged = package.substr(0, package.size() - 3);
    }
    SetupWorld world(Double::Real);
    testsupport::WriteBytes(world.packageFolder() + "\\data.z", damaged);
    const std::string folder = world.Path("Kestrin");
    ScriptedUi ui;
    ui.answers = {IDYES, IDYES};
    OpenSetup setup(ui);
    setup.TypeFolder(folder);
    setup.Install();

    REQUIRE_FALSE(ui.messages.empty());
    CHECK(ui.messages[0].text != kComplete);
    CHECK_FALSE(setup.IsOpen());
    std::set<std::string> rootEntries = testsupport::Entries(world.root());
    CHECK(rootEntries == std::set<std::string>{"Palm", "dist"});
    CHECK(testsupport::Entries(world.hotSyncFolder()) == std::set<std::string>{"condmgr.dll"});
    CHECK(testsupport::Entries(world.packageFolder()) == std::set<std::string>{"data.z", "unrar.dll"});
}

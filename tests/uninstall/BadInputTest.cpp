// Install paths in the Settings store that no installation records: each step that needs such a path
// fails and touches nothing, in the current folder, at the root of its drive or anywhere else.
#include "UnInstallTestSupport.h"

#include "win/Paths.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"

#include <doctest/doctest.h>

namespace {

// The files and folders of the layout, laid out in a folder where nothing may be deleted.
struct Decoys {
    explicit Decoys(const std::string& folder) : folder(folder) {
        for (const char* name : {layout::kConduitFileName, layout::kManagerFileName,
                                 layout::kHandheldAppFileName, layout::kUnInstallFileName}) {
            testsupport::WriteBytes(testsupport::Join(folder, name), "decoy");
        }
        CreateDirectoryA((folder + settings::kInboxFolderName).c_str(), nullptr);
        CreateDirectoryA((folder + settings::kOutboxFolderName).c_str(), nullptr);
        CopyFileA(testsupport::Join(testsupport::ProgramFolder(), "test_condmgr.dll").c_str(),
                  testsupport::Join(folder, layout::kCondMgrFileName).c_str(), FALSE);
    }
    bool Untouched() const {
        return FileExists(testsupport::Join(folder, layout::kConduitFileName)) &&
               FileExists(testsupport::Join(folder, layout::kManagerFileName)) &&
               FileExists(testsupport::Join(folder, layout::kHandheldAppFileName)) &&
               FileExists(testsupport::Join(folder, layout::kUnInstallFileName)) &&
               FolderExists(folder + settings::kInboxFolderName) &&
               FolderExists(folder + settings::kOutboxFolderName) &&
               !FileExists(testsupport::Join(folder, "calls.log"));
    }
    std::string folder;
};

struct BadValue {
    const char* label;
    DWORD type;
    std::string bytes; // as stored, terminating zero included where there is one
};

std::string Text(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

std::vector<BadValue> BadValues() {
    DWORD number = 42;
    return {
        {"empty", REG_SZ, Text("")},
        {"a bare folder name", REG_SZ, Text("Kestrin Manager")},
        {"relative with a separator", REG_SZ, Text("Orvelle\\Kestrin Manager")},
        {"drive-relative", REG_SZ, Text("C:Kestrin")},
        {"rooted without a drive", REG_SZ, Text("\\Kestrin")},
        {"a dot", REG_SZ, Text(".")},
        {"two backslashes alone", REG_SZ, Text("\\\\")},
        {"a device path", REG_SZ, Text("\\\\.\\C:")},
        {"an extended-length path", REG_SZ, Text("\\\\?\\C:\\")},
        {"overlong", REG_SZ, Text("C:\\" + std::string(400, 'k'))},
        {"260 bytes without a terminating zero", REG_SZ, "C:\\" + std::string(257, 'k')},
        {"a number", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number))},
        {"expandable text", REG_EXPAND_SZ, Text("%TEMP%")},
        {"binary", REG_BINARY, std::string("\x01\x02\x03", 3)},
        {"a list of texts", REG_MULTI_SZ, std::string("C:\\\0\0", 5)},
    };
}

} // namespace

TEST_SUITE("bad install paths") {

    TEST_CASE("full paths: a drive with a backslash, a drive root as recorded, a network path") {
        for (const char* full : {"C:\\Program Files\\Orvelle\\Kestrin Manager", "d:\\", "D:", "C:\\",
                                 "\\\\server\\share\\Kestrin"}) {
            CAPTURE(full);
            CHECK(win::IsFullPath(full));
        }
        for (const char* relative :
             {"", "C", "C:Kestrin", "1:\\Kestrin", "\\Kestrin", "Kestrin", ".\\Kestrin", "..\\Kestrin",
              "\\\\", "\\\\\\server", "\\\\.\\C:", "\\\\?\\C:\\Kestrin", "C:/Kestrin", " C:\\Kestrin"}) {
            CAPTURE(relative);
            CHECK_FALSE(win::IsFullPath(relative));
        }
    }

    TEST_CASE("a bad install folder fails steps 3 and 4, touches nothing and schedules nothing") {
        for (const BadValue& bad : BadValues()) {
            CAPTURE(bad.label);
            FakeInstallation installation;
            testsupport::ScratchFolder current("uninstall-current");
            Decoys decoys(current.path());
            CreateDirectoryA((current / "Kestrin Manager").c_str(), nullptr);
            Decoys inNamed(current / "Kestrin Manager");
            CurrentDirectoryScope inCurrent(current.path());
            installation.StoreRaw(settings::kPathToManager, bad.type, bad.bytes);

            ScriptedUi ui;
            OpenUnInstall open(ui);
            CHECK(open.Marks() == std::vector<int>{1, 2, 5, 6});
            CHECK(open.WarningShown());
            CHECK(ui.scheduled.empty());
            CHECK(decoys.Untouched());
            CHECK(inNamed.Untouched());
            CHECK(FileExists(installation.InInstall(layout::kManagerFileName)));
            CHECK(FolderExists(installation.installFolder + settings::kInboxFolderName));
        }
    }

    TEST_CASE("a bad HotSync folder fails steps 1 and 2 without loading any library or showing a message") {
        for (const BadValue& bad : BadValues()) {
            CAPTURE(bad.label);
            FakeInstallation installation;
            testsupport::ScratchFolder current("uninstall-current");
            Decoys decoys(current.path());
            CurrentDirectoryScope inCurrent(current.path());
            installation.StoreRaw(settings::kPathToHotSync, bad.type, bad.bytes);

            ScriptedUi ui;
            OpenUnInstall open(ui);
            CHECK(open.Marks() == std::vector<int>{3, 4, 5, 6});
            CHECK(ui.messages.size() == 1);
            CHECK(decoys.Untouched());
            CHECK(FileExists(installation.InHotSync(layout::kConduitFileName)));
            CHECK(installation.CondMgrCalls().empty());
            CHECK(ui.scheduled.size() == 1);
        }
    }

    TEST_CASE("missing values and a missing Settings store delete nothing outside the keys and the group") {
        FakeInstallation installation;
        testsupport::ScratchFolder current("uninstall-current");
        Decoys decoys(current.path());
        CurrentDirectoryScope inCurrent(current.path());

        SUBCASE("both values missing") {
            installation.DeleteValue(settings::kPathToManager);
            installation.DeleteValue(settings::kPathToHotSync);
            ScriptedUi ui;
            OpenUnInstall open(ui);
            CHECK(open.Marks() == std::vector<int>{5, 6});
            CHECK(ui.scheduled.empty());
        }
        SUBCASE("no Settings store") {
            RegDeleteKeyA(HKEY_CURRENT_USER, settings::kKeyPath);
            ScriptedUi ui;
            OpenUnInstall open(ui);
            CHECK(open.Marks() == std::vector<int>{6});
            CHECK(ui.messages.size() == 1);
            CHECK(ui.scheduled.empty());
        }
        CHECK(decoys.Untouched());
        CHECK(FileExists(installation.InHotSync(layout::kConduitFileName)));
        CHECK(FileExists(installation.InInstall(layout::kManagerFileName)));
        CHECK(FileExists(installation.InInstall(layout::kHandheldAppFileName)));
    }

    TEST_CASE("a second run after a complete removal deletes nothing") {
        FakeInstallation installation;
        {
            ScriptedUi ui;
            OpenUnInstall open(ui);
            REQUIRE(open.Marks() == kAllSteps);
        }
        // What a user or a later installation put back since, and decoys where a careless run would look.
        testsupport::WriteBytes(installation.InHotSync(layout::kConduitFileName), "a newer conduit");
        testsupport::ScratchFolder current("uninstall-current");
        Decoys decoys(current.path());
        CurrentDirectoryScope inCurrent(current.path());

        ScriptedUi ui;
        OpenUnInstall open(ui);
        CHECK(open.Marks().empty());
        CHECK(open.WarningShown());
        CHECK(ui.messages.size() == 1);
        CHECK(ui.scheduled.empty());
        CHECK(decoys.Untouched());
        CHECK(FileExists(installation.InHotSync(layout::kConduitFileName)));
        CHECK(FileExists(installation.InInstall(layout::kUnInstallFileName)));
    }

    TEST_CASE("an install folder at a drive root is the layout there: only its own names are touched") {
        // The root of the scratch folder's drive, as Setup records a drive root: "C:".
        FakeInstallation installation;
        std::string drive = installation.root.path().substr(0, 2);
        std::string root = drive + "\\";
        std::set<std::string> before = testsupport::Entries(root);
        bool managerWasThere = FileExists(root + layout::kManagerFileName);
        REQUIRE_FALSE(managerWasThere);
        testsupport::WriteBytes(root + layout::kManagerFileName, "manager");
        installation.StoreString(settings::kPathToManager, drive);

        ScriptedUi ui;
        OpenUnInstall open(ui);
        // Kestrin.prc is not at the root, so step 3 fails after deleting the manager; Inbox is not there.
        CHECK(open.Marks() == std::vector<int>{1, 2, 5, 6});
        CHECK_FALSE(FileExists(root + layout::kManagerFileName));
        CHECK(testsupport::Entries(root) == before);
        CHECK(ui.scheduled.empty());
    }

} // TEST_SUITE

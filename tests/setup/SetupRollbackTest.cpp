#include "SetupTestSupport.h"

#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "setup/Installation.h"

#include <doctest/doctest.h>

#include <algorithm>

namespace {

void AddKey(HKEY root, const char* path, std::vector<std::string>& state) {
    win::RegKey key = settings::OpenKey(root, path, KEY_READ);
    state.push_back(std::string(path) + (key ? "" : " <no key>"));
    for (DWORD index = 0; key; ++index) {
        char name[256] = {};
        char data[1024] = {};
        DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
        if (RegEnumValueA(key.get(), index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                          &dataSize) != ERROR_SUCCESS) {
            break;
        }
        state.push_back(std::string(path) + "|" + name + "|" + std::to_string(type) + "|" +
                        std::string(data, dataSize));
    }
}

void AddTree(const std::string& folder, std::vector<std::string>& state) {
    for (const std::string& name : testsupport::Entries(folder)) {
        if (name == "calls.log") {
            continue; // the Conduit Manager double's own record of the calls it took
        }
        const std::string path = testsupport::Join(folder, name);
        state.push_back(path + (FolderExists(path) ? "\\" : " = " + ReadWholeFile(path)));
        AddTree(path, state);
    }
}

// Everything an installation may change: the scratch world's files and folders, the program group,
// the Settings store with the key above it, and the uninstall entry.
std::vector<std::string> PcState(const SetupWorld& world) {
    std::vector<std::string> state;
    AddKey(HKEY_CURRENT_USER, settings::kParentKeyPath, state);
    AddKey(HKEY_CURRENT_USER, settings::kKeyPath, state);
    AddKey(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath, state);
    AddTree(world.root(), state);
    state.push_back(ProgramGroup() + (FolderExists(ProgramGroup()) ? "" : " <none>"));
    AddTree(ProgramGroup(), state);
    std::sort(state.begin(), state.end());
    return state;
}

std::vector<std::string> Package(const std::string& content, const std::string& third = "") {
    return {"entry KestrinConduit.dll " + content, "entry KestrinManager.exe " + content,
            third.empty() ? "entry UnInstall.exe " + content : third, "entry Kestrin.prc " + content};
}

// A working installation that the user has lived with: their own choices, a queued file, and
// values that Setup never writes, or writes otherwise.
void InstallEarlier(const SetupWorld& world, const std::string& folder) {
    world.WritePackage(Package("earlier"));
    SilentSetupUi ui;
    REQUIRE(RunSilentSetup(ui, folder) == 0);
    win::RegKey store = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
    settings::WriteDword(store.get(), settings::kFromPCToPalm, settings::Overwrite);
    testsupport::WriteRawValue(store.get(), settings::kPathToHotSync, REG_BINARY, "odd");
    settings::WriteDword(store.get(), settings::kRemovalUnfinished, 1);
    win::RegKey entry = settings::OpenKey(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath);
    settings::WriteString(entry.get(), layout::kDisplayVersionValue, "2.0");
    RegDeleteValueA(entry.get(), layout::kPublisherValue);
    testsupport::WriteBytes(folder + "\\Outbox\\queued.doc", "the user's file");
}

} // namespace

TEST_CASE("an installation that a failure ends leaves the PC exactly as it found it") {
    const struct {
        const char* name;
        Double unrar, condmgr;
        std::vector<std::string> package;
        int exitCode;
        int installCreatorResult = 0;
    } failures[] = {
        {"unrar.dll missing", Double::Missing, Double::Working, Package("new"), 3},
        {"unrar.dll without its calls", Double::Incomplete, Double::Working, Package("new"), 4},
        {"a package that cannot be opened", Double::Working, Double::Working, {"open 15"}, 5},
        {"an entry cut short after two were written", Double::Working, Double::Working,
         Package("new", "cut UnInstall.exe half"), 6},
        {"a broken header",
         Double::Working,
         Double::Working,
         {"entry KestrinConduit.dll new", "header 12"},
         7},
        {"a package of other members", Double::Working, Double::Working, {"entry condmgr.dll new"}, 19},
        {"condmgr.dll missing", Double::Working, Double::Missing, Package("new"), 8},
        {"condmgr.dll without its calls", Double::Working, Double::Incomplete, Package("new"), 9},
        {"the registration refused", Double::Working, Double::Working, Package("new"), 10, -1008},
    };
    for (const auto& failure : failures) {
        for (bool reinstall : {false, true}) {
            SUBCASE(
                (std::string(failure.name) + (reinstall ? ", reinstalling" : ", on a fresh PC")).c_str()) {
                SetupWorld world;
                const std::string folder = world.Path("Programs\\Orvelle\\Kestrin");
                if (reinstall) {
                    InstallEarlier(world, folder);
                }
                world.PlaceDoubles(failure.unrar, failure.condmgr);
                world.WritePackage(failure.package);
                world.SetInstallCreatorResult(failure.installCreatorResult);
                const std::vector<std::string> before = PcState(world);
                SilentSetupUi ui;

                CHECK(RunSilentSetup(ui, folder) == failure.exitCode);
                CHECK(PcState(world) == before);
            }
        }
    }
}

TEST_CASE(
    "a completed reinstallation removes what a stopped Setup left, and the mark of an unfinished removal") {
    SetupWorld world;
    const std::string folder = world.Path("Kestrin");
    InstallEarlier(world, folder);
    const std::string palm = world.hotSyncFolder();
    for (const char* name : {"~KestrinSetup1A-3.tmp", "kst12AB.tmp", "~KestrinSetup notes.txt"}) {
        testsupport::WriteBytes(palm + "\\" + name, "left");
    }
    testsupport::WriteBytes(folder + "\\~kestrinsetup-old.TMP", "left");
    CreateDirectoryA((folder + "\\~KestrinSetup folder.tmp").c_str(), nullptr);
    world.WritePackage(Package("new"));
    SilentSetupUi ui;

    CHECK(RunSilentSetup(ui, folder) == 0);
    CHECK(testsupport::Entries(palm) == std::set<std::string>{"calls.log", "condmgr.dll",
                                                              "KestrinConduit.dll", "kst12AB.tmp",
                                                              "~KestrinSetup notes.txt"});
    CHECK(testsupport::Entries(folder) == std::set<std::string>{"Inbox", "Kestrin.prc", "KestrinManager.exe",
                                                                "Outbox", "UnInstall.exe",
                                                                "~KestrinSetup folder.tmp"});
    CHECK(ReadWholeFile(palm + "\\KestrinConduit.dll") == "new");
    CHECK(StoredNumber(HKEY_CURRENT_USER, settings::kKeyPath, settings::kRemovalUnfinished) == std::nullopt);
}

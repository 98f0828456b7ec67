#include "uninstall/Removal.h"

#include "install/CommandLine.h"
#include "win/Paths.h"
#include "install/ProgramGroup.h"
#include "interfaces/palm/CondMgr.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "win/FileIdentity.h"
#include "win/FileSystem.h"
#include "win/Handles.h"

#include <cstring>
#include <initializer_list>
#include <optional>

namespace {

std::string InFolder(const std::string& folder, const char* name) {
    return folder + "\\" + name;
}

std::optional<std::string> ReadFullPath(HKEY key, const char* name) {
    std::optional<std::string> value = settings::ReadString(key, name);
    if (!value || !win::IsFullPath(*value)) {
        return std::nullopt;
    }
    return value;
}

// What a run knows beyond the paths, and what its steps found.
struct StepContext {
    const RemovalPaths& paths;
    UnInstallUi& ui;
    HWND owner;
    // An earlier run left installed items behind: what it removed already counts as removed.
    bool finishing;
    // An installed item is still there because it could not be removed (in use, protected).
    bool itemRefused = false;
    bool keptForSecondRun = false;
};

enum class ItemResult { Removed, Absent, UsersEntries, Refused };

bool IsEmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found = {};
    win::FindHandle listing(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!listing) {
        return false;
    }
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) {
            return false;
        }
    } while (FindNextFileA(listing.get(), &found));
    return true;
}

// A file or folder that is gone was removed, or was not there; a folder that holds entries (or a
// file where the folder was) is the user's; any other item that stays was refused.
ItemResult RemoveItem(const std::string& path, bool isFolder, StepContext& context) {
    bool deleted = isFolder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    // A deletion can be accepted and still not happen (a file system that refuses it later).
    if (!win::PathExists(path)) {
        return deleted ? ItemResult::Removed : ItemResult::Absent;
    }
    if (isFolder && !(win::FolderExists(path) && IsEmptyFolder(path))) {
        return ItemResult::UsersEntries;
    }
    context.itemRefused = true;
    return ItemResult::Refused;
}

// Within a step, each item is attempted only when the one before it is gone.
bool RemoveInOrder(std::initializer_list<std::string> items, bool areFolders, StepContext& context) {
    for (const std::string& item : items) {
        ItemResult result = RemoveItem(item, areFolders, context);
        if (result != ItemResult::Removed && !(result == ItemResult::Absent && context.finishing)) {
            return false;
        }
    }
    return true;
}

bool DeleteConduit(StepContext& context) {
    const RemovalPaths& paths = context.paths;
    return paths.hotSyncFolder &&
           RemoveInOrder({InFolder(*paths.hotSyncFolder, layout::kConduitFileName)}, false, context);
}

// The Conduit Manager is loaded by its full path just before the call and released right after it.
bool RemoveConduitRegistration(StepContext& context) {
    if (!context.paths.hotSyncFolder) {
        return false;
    }
    const std::string library = InFolder(*context.paths.hotSyncFolder, layout::kCondMgrFileName);
    // A damaged library fails to load here instead of raising the system's own error box.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    win::Module condMgr(LoadLibraryA(library.c_str()));
    SetErrorMode(previousMode);
    if (!condMgr) {
        context.ui.ShowMessage(context.owner, kLoadLibraryFailedMessage, MB_OK | MB_ICONSTOP);
        return false;
    }
    auto removeConduit = win::ProcAddress<condmgr::RemoveConduitByCreatorIDFn>(
        condMgr.get(), condmgr::kRemoveConduitByCreatorID);
    if (removeConduit == nullptr) {
        condMgr.reset();
        context.ui.ShowMessage(context.owner, kLookupFailedMessage, MB_OK | MB_ICONSTOP);
        return false;
    }
    // Whether a conduit was registered does not matter: afterwards none is.
    removeConduit(layout::kCreatorId);
    return true;
}

bool DeleteManagerFiles(StepContext& context) {
    const std::optional<std::string>& folder = context.paths.installFolder;
    return folder && RemoveInOrder({InFolder(*folder, layout::kManagerFileName),
                                    InFolder(*folder, layout::kHandheldAppFileName)},
                                   false, context);
}

// Only the two folders inside the install folder, whatever folders the settings name; folders that
// still hold files stay.
bool DeleteProgramFolders(StepContext& context) {
    const std::optional<std::string>& folder = context.paths.installFolder;
    return folder &&
           RemoveInOrder({*folder + settings::kInboxFolderName, *folder + settings::kOutboxFolderName}, true,
                         context);
}

bool DeleteKey(HKEY root, const char* path, bool finishing) {
    LONG result = RegDeleteKeyA(root, path);
    return result == ERROR_SUCCESS || (finishing && result == ERROR_FILE_NOT_FOUND);
}

// While an installed item that the steps before could not remove is still there, the Settings store
// (with the two paths) and the uninstall entry stay, marked, so that a second run can finish.
bool DeleteRegistryEntries(StepContext& context) {
    if (context.itemRefused) {
        win::RegKey store = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath, KEY_WRITE);
        context.keptForSecondRun =
            store && settings::WriteDword(store.get(), settings::kRemovalUnfinished, 1);
        return false;
    }
    return DeleteKey(HKEY_CURRENT_USER, settings::kKeyPath, context.finishing) &&
           DeleteKey(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPathAsRemoved, context.finishing);
}

// The three shortcuts, then the "Kestrin" folder; "Orvelle" above it stays.
bool DeleteProgramGroup(StepContext& context) {
    std::optional<std::string> group = install::ProgramGroupFolder();
    return group &&
           RemoveInOrder({InFolder(*group, layout::kManagerShortcutName),
                          InFolder(*group, layout::kHandheldAppShortcutName),
                          InFolder(*group, layout::kUnInstallShortcutNameAsRemoved)},
                         false, context) &&
           RemoveInOrder({*group}, true, context);
}

bool RunStep(int step, StepContext& context) {
    switch (step) {
    case 1:
        return DeleteConduit(context);
    case 2:
        return RemoveConduitRegistration(context);
    case 3:
        return DeleteManagerFiles(context);
    case 4:
        return DeleteProgramFolders(context);
    case 5:
        return DeleteRegistryEntries(context);
    case 6:
        return DeleteProgramGroup(context);
    default:
        return false;
    }
}

// Nothing is scheduled for a path whose short form cannot be obtained, nor for a short form that
// leads to another file: where short names are not unique (Wine makes them by hashing), that file
// would be deleted at the restart.
void ScheduleSelfDeletion(const RemovalPaths& paths, UnInstallUi& ui) {
    if (!paths.installFolder) {
        return;
    }
    const std::string program = InFolder(*paths.installFolder, layout::kUnInstallFileName);
    char shortPath[MAX_PATH] = {};
    DWORD length = GetShortPathNameA(program.c_str(), shortPath, sizeof(shortPath));
    if (length == 0 || length >= sizeof(shortPath)) {
        return;
    }
    std::optional<win::FileIdentity> uninstaller = win::IdentityOf(program);
    std::optional<win::FileIdentity> named = win::IdentityOf(shortPath);
    if (!uninstaller || !named || !(*named == *uninstaller)) {
        return;
    }
    ui.ScheduleDeletionAtRestart(std::string(shortPath, length));
}

// Silent mode shows no message and asks nothing; the self-deletion entry is made as usual.
class SilentUi : public UnInstallUi {
public:
    explicit SilentUi(UnInstallUi& real) : real_(real) {}
    int ShowMessage(HWND, const std::string&, UINT style) override {
        return (style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    }
    void RequestRestart() override {}
    void ScheduleDeletionAtRestart(const std::string& shortPath) override {
        real_.ScheduleDeletionAtRestart(shortPath);
    }

private:
    UnInstallUi& real_;
};

} // namespace

RemovalPaths ReadRemovalPaths() {
    RemovalPaths paths;
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath, KEY_READ);
    if (key) {
        paths.hotSyncFolder = ReadFullPath(key.get(), settings::kPathToHotSync);
        paths.installFolder = ReadFullPath(key.get(), settings::kPathToManager);
        paths.finishing = settings::ReadDword(key.get(), settings::kRemovalUnfinished).has_value();
    }
    return paths;
}

bool RemovalOutcome::AllRemoved() const {
    for (bool step : succeeded) {
        if (!step) {
            return false;
        }
    }
    return true;
}

RemovalOutcome RunRemoval(UnInstallUi& ui, HWND owner, const StepObserver& observer) {
    RemovalOutcome outcome;
    outcome.paths = ReadRemovalPaths();
    StepContext context{outcome.paths, ui, owner, outcome.paths.finishing};
    for (int step = 1; step <= kRemovalStepCount; ++step) {
        bool succeeded = RunStep(step, context);
        outcome.succeeded[static_cast<size_t>(step - 1)] = succeeded;
        if (observer) {
            observer(step, succeeded);
        }
    }
    outcome.keptForSecondRun = context.keptForSecondRun;
    // The uninstall entry that stays for the second run needs its uninstaller.
    if (!outcome.keptForSecondRun) {
        ScheduleSelfDeletion(outcome.paths, ui);
    }
    return outcome;
}

int SilentExitCode(const RemovalOutcome& outcome) {
    int code = 0;
    for (int step = 0; step < kRemovalStepCount; ++step) {
        if (!outcome.succeeded[static_cast<size_t>(step)]) {
            code |= 1 << step;
        }
    }
    return code;
}

int RunSilentRemoval(UnInstallUi& ui) {
    SilentUi silent(ui);
    return SilentExitCode(RunRemoval(silent, nullptr, {}));
}

bool IsSilentCommandLine(const char* commandLine) {
    std::string rest = install::TrimmedBlanks(install::ProgramArguments(commandLine));
    while (!rest.empty()) {
        size_t end = rest.find_first_of(" \t");
        if (install::IsSwitch(rest.substr(0, end), 'S')) {
            return true;
        }
        rest = end == std::string::npos ? std::string() : install::TrimmedBlanks(rest.substr(end));
    }
    return false;
}

#include "uninstall/Removal.h"

#include "install/CommandLine.h"
#include "install/FullPath.h"
#include "install/ProgramGroup.h"
#include "interfaces/palm/CondMgr.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "win/FileIdentity.h"
#include "win/Handles.h"

#include <initializer_list>
#include <optional>

namespace {

std::string InFolder(const std::string& folder, const char* name) {
    return folder + "\\" + name;
}

std::optional<std::string> ReadFullPath(HKEY key, const char* name) {
    std::optional<std::string> value = settings::ReadString(key, name);
    if (!value || !install::IsFullPath(*value)) {
        return std::nullopt;
    }
    return value;
}

// Within a step, each item is attempted only when the one before it is gone.
bool DeleteFilesInOrder(const std::string& folder, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (!DeleteFileA(InFolder(folder, name).c_str())) {
            return false;
        }
    }
    return true;
}

bool DeleteConduit(const RemovalPaths& paths) {
    return paths.hotSyncFolder && DeleteFilesInOrder(*paths.hotSyncFolder, {layout::kConduitFileName});
}

// The Conduit Manager is loaded by its full path just before the call and released right after it.
bool RemoveConduitRegistration(const RemovalPaths& paths, UnInstallUi& ui, HWND owner) {
    if (!paths.hotSyncFolder) {
        return false;
    }
    const std::string library = InFolder(*paths.hotSyncFolder, layout::kCondMgrFileName);
    // A damaged library fails to load here instead of raising the system's own error box.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    win::Module condMgr(LoadLibraryA(library.c_str()));
    SetErrorMode(previousMode);
    if (!condMgr) {
        ui.ShowMessage(owner, kLoadLibraryFailedMessage, MB_OK | MB_ICONSTOP);
        return false;
    }
    auto removeConduit = win::ProcAddress<condmgr::RemoveConduitByCreatorIDFn>(
        condMgr.get(), condmgr::kRemoveConduitByCreatorID);
    if (removeConduit == nullptr) {
        condMgr.reset();
        ui.ShowMessage(owner, kLookupFailedMessage, MB_OK | MB_ICONSTOP);
        return false;
    }
    // Whether a conduit was registered does not matter: afterwards none is.
    removeConduit(layout::kCreatorId);
    return true;
}

bool DeleteManagerFiles(const RemovalPaths& paths) {
    return paths.installFolder &&
           DeleteFilesInOrder(*paths.installFolder, {layout::kManagerFileName, layout::kHandheldAppFileName});
}

// Only the two folders inside the install folder, whatever folders the settings name; folders that
// still hold files stay.
bool DeleteProgramFolders(const RemovalPaths& paths) {
    if (!paths.installFolder) {
        return false;
    }
    for (const char* name : {settings::kInboxFolderName, settings::kOutboxFolderName}) {
        if (!RemoveDirectoryA((*paths.installFolder + name).c_str())) {
            return false;
        }
    }
    return true;
}

bool DeleteRegistryEntries() {
    return RegDeleteKeyA(HKEY_CURRENT_USER, settings::kKeyPath) == ERROR_SUCCESS &&
           RegDeleteKeyA(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPathAsRemoved) == ERROR_SUCCESS;
}

// The three shortcuts, then the "Kestrin" folder; "Orvelle" above it stays.
bool DeleteProgramGroup() {
    std::optional<std::string> group = install::ProgramGroupFolder();
    if (!group) {
        return false;
    }
    return DeleteFilesInOrder(*group, {layout::kManagerShortcutName, layout::kHandheldAppShortcutName,
                                       layout::kUnInstallShortcutNameAsRemoved}) &&
           RemoveDirectoryA(group->c_str());
}

bool RunStep(int step, const RemovalPaths& paths, UnInstallUi& ui, HWND owner) {
    switch (step) {
    case 1:
        return DeleteConduit(paths);
    case 2:
        return RemoveConduitRegistration(paths, ui, owner);
    case 3:
        return DeleteManagerFiles(paths);
    case 4:
        return DeleteProgramFolders(paths);
    case 5:
        return DeleteRegistryEntries();
    case 6:
        return DeleteProgramGroup();
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
    for (int step = 1; step <= kRemovalStepCount; ++step) {
        bool succeeded = RunStep(step, outcome.paths, ui, owner);
        outcome.succeeded[static_cast<size_t>(step - 1)] = succeeded;
        if (observer) {
            observer(step, succeeded);
        }
    }
    ScheduleSelfDeletion(outcome.paths, ui);
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

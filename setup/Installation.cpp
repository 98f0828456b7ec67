#include "setup/Installation.h"

#include "install/RestartDeletion.h"
#include "interfaces/palm/CondMgr.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "setup/Folders.h"
#include "setup/Package.h"
#include "setup/SetupMessages.h"
#include "setup/Shortcuts.h"
#include "win/FileSystem.h"
#include "win/Handles.h"
#include "win/Paths.h"

#include <utility>

using win::FolderExists;

namespace {

constexpr int kFoldersProgress = 15;
constexpr int kTransferFoldersProgress = 10;
constexpr int kRegistryProgress = 15;
constexpr int kEntryProgress = 9;
constexpr int kConduitProgress = 15;
constexpr int kShortcutsProgress = 10;

// A program's path as Windows reads it in a command line: quoted, so that a space in the path never
// makes Windows start another program first ("C:\Program.exe" for "C:\Program Files\...").
std::string CommandLinePath(const std::string& path) {
    return "\"" + path + "\"";
}

std::optional<DWORD> KeptChoice(std::optional<DWORD> value, DWORD largest) {
    return value && *value <= largest ? value : std::nullopt;
}

// A stored folder stays unless it is no full path; one that was the previous install folder's own
// Outbox or Inbox moves with the install folder.
std::optional<std::string> KeptFolder(const std::optional<std::string>& value,
                                      const std::optional<std::string>& previousDefault) {
    if (!value || !win::IsFullFolderPath(*value) ||
        (previousDefault && win::IsSameFolder(*value, *previousDefault))) {
        return std::nullopt;
    }
    return value;
}

// The values of an installation into `installFolder`: the user's valid choices of an earlier
// installation stay, Setup's defaults fill in the rest, and the two install paths are rewritten.
settings::Store InstalledSettings(const std::string& installFolder, const std::string& hotSyncFolder) {
    settings::Store values = settings::Store::Defaults(installFolder, hotSyncFolder);
    settings::Store previous;
    if (!previous.Load()) {
        return values;
    }
    const std::optional<std::string>& oldFolder = previous.pathToManager;
    auto oldDefault = [&](std::string (*folderOf)(const std::string&)) {
        return oldFolder ? std::optional<std::string>(folderOf(*oldFolder)) : std::nullopt;
    };
    values.sendFolder =
        KeptFolder(previous.sendFolder, oldDefault(settings::DefaultSendFolder)).value_or(*values.sendFolder);
    values.receiveFolder = KeptFolder(previous.receiveFolder, oldDefault(settings::DefaultReceiveFolder))
                               .value_or(*values.receiveFolder);
    values.fromPalmToPC = KeptChoice(previous.fromPalmToPC, settings::Ask).value_or(*values.fromPalmToPC);
    values.fromPCToPalm = KeptChoice(previous.fromPCToPalm, settings::Ask).value_or(*values.fromPCToPalm);
    values.archiver = KeptChoice(previous.archiver, settings::WinRar).value_or(*values.archiver);
    for (size_t column = 0; column < std::size(values.columnWidths); ++column) {
        const std::optional<DWORD>& width = previous.columnWidths[column];
        if (width && *width > 0 && *width <= settings::kLargestColumnWidth) {
            values.columnWidths[column] = width;
        }
    }
    return values;
}

} // namespace

std::optional<std::string> ReadHotSyncFolder() {
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, layout::kHotSyncKeyPath, KEY_READ);
    if (!key) {
        return std::nullopt;
    }
    std::optional<std::string> program = settings::ReadString(key.get(), layout::kHotSyncPathValue);
    if (!program || program->find('\\') == std::string::npos) {
        return std::nullopt;
    }
    return program->substr(0, program->rfind('\\'));
}

Installation::Installation(SetupUi& ui, HWND owner, InstallationObserver& observer, std::string hotSyncFolder)
    : ui_(ui), owner_(owner), observer_(observer), hotSyncFolder_(std::move(hotSyncFolder)) {}

InstallationResult Installation::Run(const folders::TypedFolder& typedFolder) {
    result_ = InstallationResult();
    progress_ = 0;
    observer_.ProgressStarted();
    installFolder_ = SettleInstallFolder(typedFolder);
    result_.installFolder = installFolder_;
    Advance(kFoldersProgress);
    CreateTransferFolders();
    Advance(kTransferFoldersProgress);
    WriteSettingsStore();
    Advance(kRegistryProgress);
    if (!InstallConduitAndPrograms()) {
        journal_.RollBack();
        return result_;
    }
    // No later step can end the installation: what it made stays, whatever follows.
    Commit();
    Advance(kConduitProgress);
    CreateShortcuts();
    Advance(kShortcutsProgress);
    OfferRestart();
    result_.end = InstallationEnd::Finished;
    return result_;
}

void Installation::Advance(int amount) {
    progress_ += amount;
    observer_.ProgressChanged(progress_);
}

std::string Installation::SettleInstallFolder(const folders::TypedFolder& typedFolder) {
    std::string folder = win::WithoutTrailingBackslashes(typedFolder.text);
    // A folder too deep to hold the installation's files, or whose name the code page cannot carry,
    // is never created.
    bool usable = typedFolder.exact && folders::FitsInstallLayout(folder);
    if (usable) {
        journal_.MakeFolderTree(folder);
        usable = FolderExists(folder);
    }
    if (!usable) {
        ShowMessage(messages::kFolderNotCreated, MB_ICONEXCLAMATION | MB_OK);
        RecordFailure(SetupOutcome::DefaultFolderUsed, false);
        folder = layout::kDefaultInstallFolder;
        observer_.DefaultFolderChosen(folder);
        journal_.MakeFolderTree(folder);
    }
    // A relative folder is recorded, extracted into and linked to by its full path.
    return folders::AbsoluteFolder(folder);
}

void Installation::CreateTransferFolders() {
    const std::string outbox = installFolder_ + settings::kOutboxFolderName;
    const std::string inbox = installFolder_ + settings::kInboxFolderName;
    journal_.MakeFolderTree(outbox);
    journal_.MakeFolderTree(inbox);
    if (!FolderExists(outbox) || !FolderExists(inbox)) {
        RecordFailure(SetupOutcome::FoldersNotCreated, false);
    }
    // HotSync Manager and the manager run as the user, who may not write under "Program Files".
    for (const std::string& folder : {outbox, inbox}) {
        if (FolderExists(folder) && ui_.GrantUsersModify(folder) != ERROR_SUCCESS) {
            RecordFailure(SetupOutcome::FolderRightsNotGranted, false);
        }
    }
}

void Installation::WriteSettingsStore() {
    settings::Store values = InstalledSettings(installFolder_, hotSyncFolder_);
    journal_.RecordKey(HKEY_CURRENT_USER, settings::kKeyPath);
    if (!values.Save(settings::Store::Key::CreateIfMissing)) {
        RecordFailure(SetupOutcome::SettingsNotWritten, false);
    }
}

void Installation::WriteUninstallEntry() {
    const std::string uninstaller = installFolder_ + "\\" + layout::kUnInstallFileName;
    journal_.RecordKey(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath);
    win::RegKey key = settings::CreateKey(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath);
    HKEY handle = key.get();
    bool written = static_cast<bool>(key);
    written &= settings::WriteString(handle, layout::kDisplayNameValue, layout::kDisplayName);
    written &= settings::WriteString(handle, layout::kUninstallStringValue, CommandLinePath(uninstaller));
    written &= settings::WriteString(handle, layout::kDisplayVersionValue, layout::kDisplayVersion);
    written &= settings::WriteString(handle, layout::kPublisherValue, layout::kPublisher);
    written &= settings::WriteString(handle, layout::kDisplayIconValue,
                                     installFolder_ + "\\" + layout::kManagerFileName);
    written &= settings::WriteString(handle, layout::kInstallLocationValue, installFolder_);
    written &= settings::WriteString(handle, layout::kQuietUninstallStringValue,
                                     CommandLinePath(uninstaller) + " " + layout::kSilentSwitch);
    written &= settings::WriteDword(handle, layout::kNoModifyValue, 1);
    written &= settings::WriteDword(handle, layout::kNoRepairValue, 1);
    if (!written) {
        RecordFailure(SetupOutcome::UninstallEntryNotWritten, false);
    }
}

bool Installation::InstallConduitAndPrograms() {
    if (!ExtractPackage()) {
        return false;
    }
    // Only now that its uninstaller is in place: Windows never lists an entry that cannot run.
    WriteUninstallEntry();
    return RegisterConduit();
}

bool Installation::ExtractPackage() {
    // A Setup stopped while it extracted left its working files beside the installed ones.
    RemoveWorkingFiles(hotSyncFolder_);
    RemoveWorkingFiles(installFolder_);
    std::optional<package::Failure> failure =
        package::Extract(hotSyncFolder_, installFolder_, journal_, [this] { Advance(kEntryProgress); });
    if (failure) {
        return Fail(failure->message, failure->outcome, failure->end);
    }
    return true;
}

bool Installation::RegisterConduit() {
    const std::string library = hotSyncFolder_ + "\\" + layout::kCondMgrFileName;
    win::Module condmgr(LoadLibraryA(library.c_str()));
    if (!condmgr) {
        return Fail(messages::kErrorLoadingDll, SetupOutcome::CondMgrNotLoaded, InstallationEnd::Aborted);
    }
    auto installCreator =
        win::ProcAddress<condmgr::InstallCreatorFn>(condmgr.get(), condmgr::kInstallCreator);
    auto setCreatorName =
        win::ProcAddress<condmgr::SetCreatorNameFn>(condmgr.get(), condmgr::kSetCreatorName);
    auto setCreatorPriority =
        win::ProcAddress<condmgr::SetCreatorPriorityFn>(condmgr.get(), condmgr::kSetCreatorPriority);
    if (!installCreator || !setCreatorName || !setCreatorPriority) {
        condmgr.reset();
        return Fail(messages::kErrorLoadingFunctions, SetupOutcome::CondMgrFunctionsMissing,
                    InstallationEnd::Aborted);
    }
    const int installed = installCreator(layout::kCreatorId, condmgr::kTypeApplication);
    if (installed == condmgr::kOk) {
        setCreatorName(layout::kCreatorId, layout::kConduitFileName);
        setCreatorPriority(layout::kCreatorId, layout::kConduitPriority);
    } else if (installed != condmgr::kErrCreatorInUse) {
        // "In use" is a reinstallation: the conduit is registered already, so the step did its job.
        // Anything else leaves a conduit that HotSync never runs: that is no installation.
        return Fail(messages::kConduitNotRegistered, SetupOutcome::ConduitNotRegistered,
                    InstallationEnd::Aborted);
    }
    return true;
}

void Installation::Commit() {
    journal_.Commit();
    // The product is whole again: a later UnInstall removes it as a first run, not as the end of an
    // earlier unfinished one.
    if (win::RegKey store = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath, KEY_WRITE)) {
        RegDeleteValueA(store.get(), settings::kRemovalUnfinished);
    }
    // An UnInstall run before the restart scheduled its own file's deletion: the file is now the
    // uninstaller of this installation.
    install::CancelDeletionsAtRestart(install::kWininitFile,
                                      installFolder_ + "\\" + layout::kUnInstallFileName);
}

void Installation::CreateShortcuts() {
    if (!shortcuts::CreateProgramGroup(installFolder_)) {
        RecordFailure(SetupOutcome::ShortcutsNotCreated, false);
    }
}

void Installation::OfferRestart() {
    if (ShowMessage(messages::kInstallationComplete, MB_ICONQUESTION | MB_YESNO) == IDYES) {
        observer_.RestartAccepted();
        ui_.RequestRestart();
    }
}

bool Installation::Fail(const char* message, SetupOutcome failure, InstallationEnd end) {
    ShowMessage(message, MB_ICONSTOP | MB_OK);
    RecordFailure(failure, true);
    result_.end = end;
    return false;
}

void Installation::RecordFailure(SetupOutcome failure, bool endsInstallation) {
    // A failure that ends the installation is the last one of the run and takes precedence.
    if (result_.outcome == SetupOutcome::Installed || endsInstallation) {
        result_.outcome = failure;
    }
}

int Installation::ShowMessage(const char* text, UINT style) {
    return ui_.ShowMessage(owner_, text, style);
}

int RunSilentSetup(SetupUi& ui, const std::optional<folders::TypedFolder>& folder) {
    std::optional<std::string> hotSyncFolder = ReadHotSyncFolder();
    if (!hotSyncFolder) {
        ui.ShowMessage(nullptr, messages::kHotSyncNotFound, MB_ICONSTOP | MB_OK);
        return static_cast<int>(SetupOutcome::HotSyncMissing);
    }
    InstallationObserver silent;
    Installation installation(ui, nullptr, silent, *hotSyncFolder);
    InstallationResult result =
        installation.Run(folder.value_or(folders::TypedFolder(layout::kDefaultInstallFolder)));
    return static_cast<int>(result.outcome);
}

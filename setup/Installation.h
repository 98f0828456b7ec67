// The installation itself, without any window: the HotSync check's result, the install folder, the
// Outbox and Inbox, the Settings store, the uninstall entry, the package, the conduit's registration,
// the program group and the restart offer. The dialog shows its progress; the silent mode runs it
// with an observer that shows nothing.
#pragma once

#include "setup/Folders.h"
#include "setup/SetupOutcome.h"
#include "setup/SetupUi.h"
#include "setup/UndoJournal.h"

#include <windows.h>

#include <optional>
#include <string>

// HotSync Manager's folder from Palm Desktop's record of its program; nothing when the key, or a
// usable "HotSyncPath" (a string that holds a backslash), is missing.
std::optional<std::string> ReadHotSyncFolder();

// What the view of an installation is told. Every message and question goes through SetupUi.
class InstallationObserver {
public:
    virtual ~InstallationObserver() = default;
    // The progress starts at 0 of 100, then rises step by step.
    virtual void ProgressStarted() {}
    virtual void ProgressChanged(int /*position*/) {}
    // The folder typed could not be made; the default folder is used instead.
    virtual void DefaultFolderChosen(const std::string& /*folder*/) {}
    // The user accepted the restart; the request to Windows follows.
    virtual void RestartAccepted() {}
};

struct InstallationResult {
    // The first failure, a step that ended the installation taking precedence.
    SetupOutcome outcome = SetupOutcome::Installed;
    InstallationEnd end = InstallationEnd::Finished;
    // The install folder the installation settled on.
    std::string installFolder;
};

class Installation {
public:
    // Messages are owned by `owner`, which may be none.
    Installation(SetupUi& ui, HWND owner, InstallationObserver& observer, std::string hotSyncFolder);

    // Runs every step in order into the folder the user typed. A failure that ends the installation
    // takes back everything the run changed.
    InstallationResult Run(const folders::TypedFolder& typedFolder);

private:
    void Advance(int amount);
    std::string SettleInstallFolder(const folders::TypedFolder& typedFolder);
    void CreateTransferFolders();
    void WriteSettingsStore();
    void WriteUninstallEntry();
    // The package, the uninstall entry and the registration: the steps a failure can end.
    bool InstallConduitAndPrograms();
    bool ExtractPackage();
    bool RegisterConduit();
    // Keeps what the run made, for good.
    void Commit();
    void CreateShortcuts();
    void OfferRestart();
    // Shows the failure's message and ends the installation; always false.
    bool Fail(const char* message, SetupOutcome failure, InstallationEnd end);
    void RecordFailure(SetupOutcome failure, bool endsInstallation);
    int ShowMessage(const char* text, UINT style);

    SetupUi& ui_;
    HWND owner_;
    InstallationObserver& observer_;
    std::string hotSyncFolder_;
    std::string installFolder_;
    int progress_ = 0;
    InstallationResult result_;
    // What this run changed; taken back when a failure ends the installation.
    UndoJournal journal_;
};

// Runs the installation without any window into `folder`, or the default install folder. The exit
// code: 0 only when every step succeeded, else the SetupOutcome of the failure.
int RunSilentSetup(SetupUi& ui, const std::optional<folders::TypedFolder>& folder);

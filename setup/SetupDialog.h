// Setup's one dialog: the install folder, and on Install the whole installation in one pass:
// folders, the Settings store, the uninstall entry, the package, the conduit's registration, the
// program group and the restart offer.
#pragma once

#include "framework/Dialog.h"
#include "setup/SetupUi.h"

#include <windows.h>

#include <optional>
#include <string>

// How an installation ended; a silent installation exits with this number.
enum class SetupOutcome : int {
    Installed = 0,
    BadCommandLine = 1,
    HotSyncMissing = 2,
    UnrarNotLoaded = 3,
    UnrarFunctionsMissing = 4,
    PackageNotOpened = 5,
    EntryNotExtracted = 6,
    PackageHeaderBroken = 7,
    CondMgrNotLoaded = 8,
    CondMgrFunctionsMissing = 9,
    ConduitNotRegistered = 10,
    DefaultFolderUsed = 11,
    FoldersNotCreated = 12,
    SettingsNotWritten = 13,
    UninstallEntryNotWritten = 14,
    ShortcutsNotCreated = 15,
    Cancelled = 16,
    NotFinished = 17,
};

// HotSync Manager's folder from Palm Desktop's record of its program; nothing when the key, or a
// usable "HotSyncPath" (a string that holds a backslash), is missing.
std::optional<std::string> ReadHotSyncFolder();

class SetupDialog : public CDialog {
public:
    explicit SetupDialog(SetupUi& ui, HWND parent = nullptr);

    // The first failure of the last installation, a step that ended it taking precedence.
    SetupOutcome Outcome() const { return outcome; }
    bool Finished() const { return finished; }
    int ProgressPos() const { return progressPos; }
    // The install folder that the last installation settled on.
    const std::string& InstallFolder() const { return installFolder; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    bool OnCommand(WORD id, WORD code) override;
    void OnCancel() override;

private:
    void OnBrowse();
    void OnInstall();

    // The steps of the installation.
    void StartProgress();
    std::string SettleInstallFolder();
    void CreateTransferFolders();
    void WriteSettingsStore();
    void WriteUninstallEntry();
    bool ExtractPackage();
    bool RegisterConduit();
    void CreateShortcuts();
    HRESULT CreateShortcut(const std::string& target, const char* workingFolder, const std::string& linkFile);
    void OfferRestart();

    void ShowOpenError(unsigned int code);
    void ShowExtractError(int code);
    // A failure after which the dialog ends without the abort question.
    void AbortInstallation(const char* message, SetupOutcome failure);
    void Advance(int amount);
    int ShowMessage(const char* text, UINT style);
    void MakeFonts();
    void RecordFailure(SetupOutcome failure, bool endsInstallation);

    CWnd progressBar;
    CWnd folderEdit;
    HICON programIcon;
    int progressPos = 0;
    std::string hotSyncFolder;
    bool aborted = false;
    bool finished = false;

    SetupUi& ui;
    std::string installFolder;
    SetupOutcome outcome = SetupOutcome::Installed;
    bool outcomeEndedInstallation = false;
    CFont welcomeFont;
    CFont textFont;
    CFont boldTextFont;
};

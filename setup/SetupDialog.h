// Setup's one dialog: the install folder, and on Install the installation, whose progress it shows
// and whose questions it asks.
#pragma once

#include "framework/Dialog.h"
#include "setup/Installation.h"
#include "setup/SetupUi.h"

#include <windows.h>

#include <string>

class SetupDialog : public CDialog, private InstallationObserver {
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
    void MakeFonts();

    void ProgressStarted() override;
    void ProgressChanged(int position) override;
    void DefaultFolderChosen(const std::string& folder) override;
    void RestartAccepted() override;

    CWnd progressBar;
    CWnd folderEdit;
    int progressPos = 0;
    std::string hotSyncFolder;
    bool aborted = false;
    bool finished = false;

    SetupUi& ui;
    std::string installFolder;
    SetupOutcome outcome = SetupOutcome::Installed;
    CFont welcomeFont;
    CFont textFont;
    CFont boldTextFont;
};

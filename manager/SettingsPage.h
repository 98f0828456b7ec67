// The Settings page of the manager's dialog: both folders, both overwrite policies and the
// compression, shown from the values the dialog opened with and taken from the controls at the close.
#pragma once

#include "framework/Wnd.h"
#include "manager/DialogPage.h"
#include "manager/ManagerUi.h"
#include "settings/Settings.h"

#include <string>

class SettingsPage : public DialogPage {
public:
    explicit SettingsPage(ManagerUi& userInterface);

    void Bind(HWND window) override;
    bool OnClicked(WORD id) override;
    // Shows the values (every one present); a relative folder typed later is taken from `start`, as
    // the default folders are.
    void Open(const settings::Store& values, const std::string& start);
    // The controls' values as they are to be stored. A folder that is not found gives way to its
    // default, and one folder for both directions stores neither; each with a message.
    void Collect(settings::Store& values);
    // The folder for files to be transferred as the page shows it.
    std::string OutgoingFolder() const { return outgoingFolderEdit.GetWindowText(); }

private:
    void BrowseFolder(CWnd& edit, const char* title);
    void OnCompressionClicked();
    DWORD ReadPolicy(int overwriteId, int doNothingId) const;
    std::string AcceptFolder(CWnd& edit, const std::string& defaultFolder, const char* message);
    // False, with a message, when both folders are one; both edits then show the start values.
    bool AreFoldersApart(const std::string& outgoing, const std::string& incoming);
    DWORD ReadArchiver() const;

    ManagerUi& ui;
    CWnd outgoingFolderEdit;
    CWnd incomingFolderEdit;
    std::string startFolder;
    // The folders the dialog opened with.
    std::string outgoingFolder;
    std::string incomingFolder;
};

// The Settings page of the manager's dialog: both folders, both overwrite policies and the
// compression, shown from the store at start and taken from the controls at the close.
#include "manager/ManagerDialog.h"

#include "win/Paths.h"
#include "manager/resource.h"
#include "settings/Settings.h"
#include "win/FileSystem.h"

namespace {

// The buttons of each policy group, indexed by the stored policy number.
static_assert(settings::Overwrite == 0 && settings::DoNothing == 1 && settings::Ask == 2,
              "the button tables are indexed by the policy numbers");
constexpr int kPcToPalmButtons[] = {IDC_PC_TO_PALM_OVERWRITE, IDC_PC_TO_PALM_DO_NOTHING, IDC_PC_TO_PALM_ASK};
constexpr int kPalmToPcButtons[] = {IDC_PALM_TO_PC_OVERWRITE, IDC_PALM_TO_PC_DO_NOTHING, IDC_PALM_TO_PC_ASK};

} // namespace

void ManagerDialog::ApplySettingsToControls() {
    outgoingFolderEdit.SetWindowText(outgoingFolder);
    incomingFolderEdit.SetWindowText(incomingFolder);
    // A policy outside 0 to 2 selects no button of its group.
    if (pcToHandheldPolicy <= settings::Ask) {
        CheckDlgButton(kPcToPalmButtons[pcToHandheldPolicy], true);
    }
    if (handheldToPcPolicy <= settings::Ask) {
        CheckDlgButton(kPalmToPcButtons[handheldToPcPolicy], true);
    }
    bool compress = archiver != settings::NoArchiver;
    CheckDlgButton(IDC_COMPRESS, compress);
    if (compress) {
        CheckDlgButton(archiver == settings::WinZip ? IDC_WINZIP : IDC_WINRAR, true);
    }
    CWnd(GetDlgItem(IDC_WINZIP)).EnableWindow(compress);
    CWnd(GetDlgItem(IDC_WINRAR)).EnableWindow(compress);
}

void ManagerDialog::OnCompressionClicked() {
    bool compress = IsDlgButtonChecked(IDC_COMPRESS);
    CWnd(GetDlgItem(IDC_WINZIP)).EnableWindow(compress);
    CWnd(GetDlgItem(IDC_WINRAR)).EnableWindow(compress);
    if (compress && !IsDlgButtonChecked(IDC_WINZIP) && !IsDlgButtonChecked(IDC_WINRAR)) {
        CheckDlgButton(IDC_WINZIP, true);
    }
}

void ManagerDialog::BrowseOutgoingFolder() {
    BrowseFolder(outgoingFolderEdit, "Select folder for files to be transferred");
}

void ManagerDialog::BrowseIncomingFolder() {
    BrowseFolder(incomingFolderEdit, "Select folder for files to be received");
}

void ManagerDialog::BrowseFolder(CWnd& edit, const char* title) {
    std::optional<std::string> folder = ui.ChooseFolder(m_hWnd, title);
    if (folder && !folder->empty()) {
        edit.SetWindowText(*folder);
    }
}

DWORD ManagerDialog::ReadPolicy(int overwriteId, int doNothingId) const {
    if (IsDlgButtonChecked(overwriteId)) {
        return settings::Overwrite;
    }
    if (IsDlgButtonChecked(doNothingId)) {
        return settings::DoNothing;
    }
    return settings::Ask;
}

std::string ManagerDialog::AcceptFolder(CWnd& edit, const std::string& defaultFolder, const char* message) {
    // A relative folder is taken from the start folder, as the default folders are, and stored
    // full: the conduit takes no relative folder.
    std::string folder = win::FullPathFrom(startFolder, edit.GetWindowText());
    if (!folder.empty() && win::FolderExists(folder)) {
        edit.SetWindowText(folder);
        return folder;
    }
    ui.ShowMessage(m_hWnd, message, MB_ICONEXCLAMATION | MB_OK);
    edit.SetWindowText(defaultFolder);
    return defaultFolder;
}

bool ManagerDialog::AreFoldersApart(const std::string& outgoing, const std::string& incoming) {
    if (!win::IsSameFolder(outgoing, incoming)) {
        return true;
    }
    ui.ShowMessage(m_hWnd,
                   "The folder for files to be transferred and the folder for files to be received must be "
                   "different folders! The folders were not changed.",
                   MB_ICONEXCLAMATION | MB_OK);
    // Back to the folders read at start, so that the listed files stay where they are.
    outgoingFolderEdit.SetWindowText(outgoingFolder);
    incomingFolderEdit.SetWindowText(incomingFolder);
    return false;
}

DWORD ManagerDialog::ReadArchiver() const {
    if (!IsDlgButtonChecked(IDC_COMPRESS)) {
        return settings::NoArchiver;
    }
    return IsDlgButtonChecked(IDC_WINZIP) ? settings::WinZip : settings::WinRar;
}

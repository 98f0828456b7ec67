#include "manager/SettingsPage.h"

#include "manager/resource.h"
#include "win/FileSystem.h"
#include "win/Paths.h"

namespace {

const int kControls[] = {IDC_FOLDERS_FRAME,
                         IDC_OVERWRITE_FRAME,
                         IDC_PC_TO_PALM_FRAME,
                         IDC_PALM_TO_PC_FRAME,
                         IDC_OUTGOING_LABEL,
                         IDC_INCOMING_LABEL,
                         IDC_COMPRESSION_FRAME,
                         IDC_ARCHIVER_FRAME,
                         IDC_INCOMING_FOLDER,
                         IDC_OUTGOING_FOLDER,
                         IDC_BROWSE_OUTGOING,
                         IDC_BROWSE_INCOMING,
                         IDC_PC_TO_PALM_OVERWRITE,
                         IDC_PC_TO_PALM_DO_NOTHING,
                         IDC_PC_TO_PALM_ASK,
                         IDC_PALM_TO_PC_OVERWRITE,
                         IDC_PALM_TO_PC_DO_NOTHING,
                         IDC_PALM_TO_PC_ASK,
                         IDC_COMPRESS,
                         IDC_WINZIP,
                         IDC_WINRAR};

// The buttons of each policy group, indexed by the stored policy number.
static_assert(settings::Overwrite == 0 && settings::DoNothing == 1 && settings::Ask == 2,
              "the button tables are indexed by the policy numbers");
constexpr int kPcToPalmButtons[] = {IDC_PC_TO_PALM_OVERWRITE, IDC_PC_TO_PALM_DO_NOTHING, IDC_PC_TO_PALM_ASK};
constexpr int kPalmToPcButtons[] = {IDC_PALM_TO_PC_OVERWRITE, IDC_PALM_TO_PC_DO_NOTHING, IDC_PALM_TO_PC_ASK};

} // namespace

SettingsPage::SettingsPage(ManagerUi& userInterface) : DialogPage(kControls), ui(userInterface) {}

void SettingsPage::Bind(HWND window) {
    DialogPage::Bind(window);
    dialog.BindControl(outgoingFolderEdit, IDC_OUTGOING_FOLDER);
    dialog.BindControl(incomingFolderEdit, IDC_INCOMING_FOLDER);
}

bool SettingsPage::OnClicked(WORD id) {
    switch (id) {
    case IDC_BROWSE_OUTGOING:
        BrowseFolder(outgoingFolderEdit, "Select folder for files to be transferred");
        return true;
    case IDC_BROWSE_INCOMING:
        BrowseFolder(incomingFolderEdit, "Select folder for files to be received");
        return true;
    case IDC_COMPRESS:
        OnCompressionClicked();
        return true;
    default:
        return false;
    }
}

void SettingsPage::Open(const settings::Store& values, const std::string& start) {
    startFolder = start;
    outgoingFolder = *values.sendFolder;
    incomingFolder = *values.receiveFolder;
    outgoingFolderEdit.SetWindowText(outgoingFolder);
    incomingFolderEdit.SetWindowText(incomingFolder);
    // A policy outside 0 to 2 selects no button of its group.
    if (*values.fromPCToPalm <= settings::Ask) {
        dialog.CheckDlgButton(kPcToPalmButtons[*values.fromPCToPalm], true);
    }
    if (*values.fromPalmToPC <= settings::Ask) {
        dialog.CheckDlgButton(kPalmToPcButtons[*values.fromPalmToPC], true);
    }
    const DWORD archiver = *values.archiver;
    bool compress = archiver != settings::NoArchiver;
    dialog.CheckDlgButton(IDC_COMPRESS, compress);
    if (compress) {
        dialog.CheckDlgButton(archiver == settings::WinZip ? IDC_WINZIP : IDC_WINRAR, true);
    }
    Enable(IDC_WINZIP, compress);
    Enable(IDC_WINRAR, compress);
}

void SettingsPage::Collect(settings::Store& values) {
    values.fromPCToPalm = ReadPolicy(IDC_PC_TO_PALM_OVERWRITE, IDC_PC_TO_PALM_DO_NOTHING);
    values.fromPalmToPC = ReadPolicy(IDC_PALM_TO_PC_OVERWRITE, IDC_PALM_TO_PC_DO_NOTHING);
    std::string outgoing =
        AcceptFolder(outgoingFolderEdit, settings::DefaultSendFolder(startFolder),
                     "Folder for files to be transferred is not found! Folder was selected "
                     "by default.");
    std::string incoming =
        AcceptFolder(incomingFolderEdit, settings::DefaultReceiveFolder(startFolder),
                     "Folder for files to be received is not found! Folder was selected by "
                     "default.");
    if (AreFoldersApart(outgoing, incoming)) {
        values.sendFolder = outgoing;
        values.receiveFolder = incoming;
    }
    values.archiver = ReadArchiver();
}

void SettingsPage::OnCompressionClicked() {
    bool compress = dialog.IsDlgButtonChecked(IDC_COMPRESS);
    Enable(IDC_WINZIP, compress);
    Enable(IDC_WINRAR, compress);
    if (compress && !dialog.IsDlgButtonChecked(IDC_WINZIP) && !dialog.IsDlgButtonChecked(IDC_WINRAR)) {
        dialog.CheckDlgButton(IDC_WINZIP, true);
    }
}

void SettingsPage::BrowseFolder(CWnd& edit, const char* title) {
    std::optional<std::string> folder = ui.ChooseFolder(dialog.GetSafeHwnd(), title);
    if (folder && !folder->empty()) {
        edit.SetWindowText(*folder);
    }
}

DWORD SettingsPage::ReadPolicy(int overwriteId, int doNothingId) const {
    if (dialog.IsDlgButtonChecked(overwriteId)) {
        return settings::Overwrite;
    }
    if (dialog.IsDlgButtonChecked(doNothingId)) {
        return settings::DoNothing;
    }
    return settings::Ask;
}

std::string SettingsPage::AcceptFolder(CWnd& edit, const std::string& defaultFolder, const char* message) {
    // A relative folder is taken from the start folder, as the default folders are, and stored
    // full: the conduit takes no relative folder.
    std::string folder = win::FullPathFrom(startFolder, edit.GetWindowText());
    if (!folder.empty() && win::FolderExists(folder)) {
        edit.SetWindowText(folder);
        return folder;
    }
    ui.ShowMessage(dialog.GetSafeHwnd(), message, MB_ICONEXCLAMATION | MB_OK);
    edit.SetWindowText(defaultFolder);
    return defaultFolder;
}

bool SettingsPage::AreFoldersApart(const std::string& outgoing, const std::string& incoming) {
    if (!win::IsSameFolder(outgoing, incoming)) {
        return true;
    }
    ui.ShowMessage(dialog.GetSafeHwnd(),
                   "The folder for files to be transferred and the folder for files to be received must be "
                   "different folders! The folders were not changed.",
                   MB_ICONEXCLAMATION | MB_OK);
    // Back to the folders read at start, so that the queued files stay where they are.
    outgoingFolderEdit.SetWindowText(outgoingFolder);
    incomingFolderEdit.SetWindowText(incomingFolder);
    return false;
}

DWORD SettingsPage::ReadArchiver() const {
    if (!dialog.IsDlgButtonChecked(IDC_COMPRESS)) {
        return settings::NoArchiver;
    }
    return dialog.IsDlgButtonChecked(IDC_WINZIP) ? settings::WinZip : settings::WinRar;
}

#include "setup/SetupDialog.h"

#include "settings/InstalledLayout.h"
#include "setup/SetupMessages.h"
#include "setup/resource.h"

#include <commctrl.h>

#include <optional>

namespace {

const int kTextFontControls[] = {IDC_USE_FIELD, IDC_FOLDER_PURPOSE, IDC_TO_SPECIFY, IDC_BROWSE_PURPOSE};
const int kBoldTextFontControls[] = {IDC_WILL_INSTALL, IDC_ON_COMPUTER, IDC_BROWSE_LABEL};

} // namespace

SetupDialog::SetupDialog(SetupUi& userInterface, HWND parent)
    : CDialog(IDD_SETUP, parent), ui(userInterface) {}

void SetupDialog::DoDataExchange() {
    BindControl(progressBar, IDC_PROGRESS);
    BindControl(folderEdit, IDC_FOLDER);
}

BOOL SetupDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetProgramIcon(IDR_MAINFRAME);
    folderEdit.SetWindowText(layout::kDefaultInstallFolder);
    MakeFonts();
    std::optional<std::string> folder = ReadHotSyncFolder();
    aborted = false;
    finished = false;
    if (!folder) {
        ui.ShowMessage(m_hWnd, messages::kHotSyncNotFound, MB_ICONSTOP | MB_OK);
        aborted = true;
        outcome = SetupOutcome::HotSyncMissing;
        EndDialog(IDCANCEL);
        return TRUE;
    }
    hotSyncFolder = *folder;
    return TRUE;
}

void SetupDialog::MakeFonts() {
    welcomeFont = CreatePointFont("Comic Sans MS", 22, true, true);
    textFont = CreatePointFont("MS Sans Serif", 10, false, false);
    boldTextFont = CreatePointFont("MS Sans Serif", 10, true, false);
    CWnd(GetDlgItem(IDC_WELCOME)).SetFont(welcomeFont.get());
    for (int id : kTextFontControls) {
        CWnd(GetDlgItem(id)).SetFont(textFont.get());
    }
    for (int id : kBoldTextFontControls) {
        CWnd(GetDlgItem(id)).SetFont(boldTextFont.get());
    }
}

bool SetupDialog::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
    case IDC_BROWSE:
        OnBrowse();
        return true;
    case IDC_INSTALL:
        OnInstall();
        return true;
    default:
        return false;
    }
}

void SetupDialog::OnBrowse() {
    std::optional<std::string> chosen = ui.ChooseFolder(m_hWnd, messages::kBrowseTitle);
    if (chosen && !chosen->empty()) {
        folderEdit.SetWindowText(*chosen);
    }
}

void SetupDialog::OnCancel() {
    if (aborted || finished) {
        EndDialog(IDCANCEL);
        return;
    }
    if (ui.ShowMessage(m_hWnd, messages::kAbortQuestion, MB_ICONQUESTION | MB_YESNO) == IDYES) {
        if (outcome == SetupOutcome::Installed) {
            outcome = SetupOutcome::Cancelled;
        }
        EndDialog(IDCANCEL);
    }
}

namespace {

// The field's text as the control holds it, before any conversion to the code page.
std::wstring WideText(HWND control) {
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    int copied = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

} // namespace

// A failure that ends the installation closes the dialog at once; any other failure asks the abort
// question, and No lets the user try again.
void SetupDialog::OnInstall() {
    Installation installation(ui, m_hWnd, *this, hotSyncFolder);
    InstallationResult result =
        installation.Run(folders::TypedFolder::FromWide(WideText(folderEdit.GetSafeHwnd())));
    outcome = result.outcome;
    installFolder = result.installFolder;
    switch (result.end) {
    case InstallationEnd::Finished:
        finished = true;
        SendMessage(WM_CLOSE);
        break;
    case InstallationEnd::Aborted:
        aborted = true;
        SendMessage(WM_CLOSE);
        break;
    case InstallationEnd::Failed:
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        break;
    }
}

void SetupDialog::ProgressStarted() {
    progressBar.ShowWindow(true);
    progressBar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ProgressChanged(0);
}

void SetupDialog::ProgressChanged(int position) {
    progressPos = position;
    progressBar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(progressPos));
}

void SetupDialog::DefaultFolderChosen(const std::string& folder) {
    folderEdit.SetWindowText(folder);
}

void SetupDialog::RestartAccepted() {
    ShowWindow(false);
}

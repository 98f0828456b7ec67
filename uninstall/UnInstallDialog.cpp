#include "uninstall/UnInstallDialog.h"

#include "uninstall/resource.h"

#include <commctrl.h>

namespace {

const int kWarningControls[] = {IDC_WARNING_FRAME, IDC_WARNING_MARK, IDC_WARNING_LINE1, IDC_WARNING_LINE2};

// A point font of the screen, then the same description made bold (weight 700).
CFont CreateBoldPointFont(const char* face, int points) {
    CFont font = CreatePointFont(face, points);
    LOGFONTA description = {};
    if (!font || GetObjectA(font.get(), sizeof(description), &description) != sizeof(description)) {
        return font;
    }
    description.lfWeight = FW_BOLD;
    return CFont(CreateFontIndirectA(&description));
}

} // namespace

UnInstallDialog::UnInstallDialog(UnInstallUi& userInterface, HWND parent)
    : CDialog(IDD_UNINSTALL, parent), ui(userInterface) {}

BOOL UnInstallDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetProgramIcon(IDR_MAINFRAME);
    MakeFonts();
    refused = false;
    if (ui.ShowMessage(m_hWnd, kConfirmationMessage, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        refused = true;
        EndDialog(IDCANCEL);
        return TRUE;
    }
    ::PostMessageA(m_hWnd, kRemoveMessage, 0, 0);
    return TRUE;
}

void UnInstallDialog::MakeFonts() {
    headlineFont = CreateBoldPointFont("MS Sans Serif", 10);
    markFont = CreateBoldPointFont("Times New Roman", 22);
    CWnd(GetDlgItem(IDC_HEADLINE)).SetFont(headlineFont.get());
    CWnd(GetDlgItem(IDC_WARNING_MARK)).SetFont(markFont.get());
}

bool UnInstallDialog::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    // Posted only once the user has confirmed.
    if (message != kRemoveMessage || refused) {
        return false;
    }
    OnRemove();
    result = TRUE;
    return true;
}

void UnInstallDialog::OnRemove() {
    if (removalDone) {
        return;
    }
    // A modal dialog would show only once its message queue is empty: show it now, so that the user
    // sees the marks appear.
    ShowWindow(true);
    ::UpdateWindow(m_hWnd);
    allRemoved = true;
    try {
        outcome = RunRemoval(ui, m_hWnd, [this](int step, bool succeeded) {
            if (succeeded) {
                ShowMark(step);
            } else {
                allRemoved = false;
            }
        });
    } catch (...) {
        // Whatever stopped the removal, the user can still close the dialog and is told that
        // something was left.
        allRemoved = false;
    }
    if (!allRemoved) {
        ShowWarning();
    }
    removalDone = true;
    CWnd ok(GetDlgItem(IDCANCEL));
    ok.EnableWindow(true);
    ::SetFocus(ok.GetSafeHwnd());
}

void UnInstallDialog::ShowMark(int step) const {
    CWnd(GetDlgItem(IDC_MARK_CONDUIT + step - 1)).ShowWindow(true);
}

void UnInstallDialog::ShowWarning() const {
    for (int id : kWarningControls) {
        CWnd(GetDlgItem(id)).ShowWindow(true);
    }
}

const char* UnInstallDialog::ClosingQuestion() const {
    if (allRemoved) {
        return kRestartQuestion;
    }
    return outcome.keptForSecondRun ? kUnfinishedRestartQuestion : kIncompleteRestartQuestion;
}

void UnInstallDialog::OnCancel() {
    // No input counts until the removal has run.
    if (!removalDone) {
        return;
    }
    if (!refused && ui.ShowMessage(m_hWnd, ClosingQuestion(), MB_YESNO | MB_ICONQUESTION) == IDYES) {
        ShowWindow(false);
        ui.RequestRestart();
    }
    EndDialog(IDCANCEL);
}

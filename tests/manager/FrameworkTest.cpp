#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "manager/resource.h"

#include <doctest/doctest.h>

#include <vector>

namespace {

// A plain dialog on the manager's template that scripts its own run through posted commands.
class ScriptedDialog : public CDialog {
public:
    ScriptedDialog() : CDialog(IDD_MANAGER) {}

    std::vector<WORD> handled;
    bool initialised = false;
    bool controlsAliveAtDestroy = false;
    std::vector<UINT> script;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        initialised = true;
        for (UINT id : script) {
            PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        }
        return TRUE;
    }
    bool OnCommand(WORD id, WORD code) override {
        if (id == IDC_ADD && code == BN_CLICKED) {
            handled.push_back(id);
            return true;
        }
        return false;
    }
    void OnDestroy() override {
        controlsAliveAtDestroy = IsWindow(GetDlgItem(IDC_TABS)) && IsWindow(GetDlgItem(IDC_FILE_LIST));
    }
};

class RecordingApp : public CWinApp {
public:
    RecordingApp() : CWinApp("RecordingApp") {}
    BOOL InitInstance() override {
        ScriptedDialog dialog;
        dialog.script = {IDC_ADD, IDCANCEL};
        m_pMainWnd = &dialog;
        dialogResult = dialog.DoModal();
        m_pMainWnd = nullptr;
        started = true;
        return FALSE;
    }
    int ExitInstance() override { return 7; }

    bool started = false;
    INT_PTR dialogResult = 0;
};

} // namespace

TEST_CASE("a modal dialog routes commands by id, ends by OK or Cancel and sees its controls at destroy") {
    CModuleContext resources(GetModuleHandleA(nullptr));
    ScriptedDialog dialog;

    SUBCASE("OK") {
        dialog.script = {IDC_ADD, IDC_ADD, IDOK};
        CHECK(dialog.DoModal() == IDOK);
        CHECK(dialog.handled == std::vector<WORD>{IDC_ADD, IDC_ADD});
    }
    SUBCASE("Cancel") {
        dialog.script = {IDCANCEL, IDC_ADD};
        CHECK(dialog.DoModal() == IDCANCEL);
    }
    CHECK(dialog.initialised);
    CHECK(dialog.controlsAliveAtDestroy);
    CHECK(dialog.GetSafeHwnd() == nullptr);
}

TEST_CASE("a program's start runs the application's dialog and ends with its stop result") {
    RecordingApp app;
    CHECK(AfxGetApp() == &app);
    HINSTANCE self = GetModuleHandleA(nullptr);
    CHECK(AfxWinMain(self) == 7);
    CHECK(app.started);
    CHECK(app.dialogResult == IDCANCEL);
    CHECK(app.m_hInstance == self);
    CHECK(app.m_pMainWnd == nullptr);
}

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "manager/resource.h"

#include <doctest/doctest.h>

#include <memory>
#include <string>
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

namespace {

// What a dialog saw while it was being destroyed, kept outside the dialog object.
struct DestroyRecord {
    bool ranOwnHandler = false;
    bool controlsAlive = false;
    bool membersAlive = false;
};

class RecordingDialog : public CDialog {
public:
    explicit RecordingDialog(DestroyRecord& record) : CDialog(IDD_MANAGER), record_(record) {}

protected:
    void OnDestroy() override {
        record_.ranOwnHandler = true;
        record_.controlsAlive = IsWindow(GetDlgItem(IDC_FILE_LIST)) != FALSE;
        record_.membersAlive = label_ == "alive";
    }

private:
    DestroyRecord& record_;
    std::string label_ = "alive";
};

} // namespace

TEST_CASE(
    "an open modeless dialog destroyed with its object runs its own close handler on the whole object") {
    CModuleContext resources(GetModuleHandleA(nullptr));
    DestroyRecord record;
    HWND window = nullptr;
    {
        CModeless<RecordingDialog> dialog(record);
        REQUIRE(dialog.Create());
        window = dialog.GetSafeHwnd();
        REQUIRE(IsWindow(window));
    }
    CHECK_FALSE(IsWindow(window));
    CHECK(record.ranOwnHandler);
    CHECK(record.controlsAlive);
    CHECK(record.membersAlive);
}

TEST_CASE("a dialog destroyed by its owner first, then deleted, closes once") {
    CModuleContext resources(GetModuleHandleA(nullptr));
    DestroyRecord record;
    auto dialog = std::make_unique<RecordingDialog>(record);
    REQUIRE(dialog->Create());
    HWND window = dialog->GetSafeHwnd();
    dialog->DestroyWindow();
    CHECK(record.ranOwnHandler);
    CHECK(dialog->GetSafeHwnd() == nullptr);
    record = DestroyRecord{};
    dialog.reset();
    CHECK_FALSE(IsWindow(window));
    CHECK_FALSE(record.ranOwnHandler);
}

#include "manager/ManagerApp.h"

#include "manager/ManagerDialog.h"
#include "manager/ManagerUi.h"

#include <commctrl.h>
#include <objbase.h>

ManagerApp::ManagerApp() : CWinApp("KestrinManager") {}

BOOL ManagerApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    // The shell's folder chooser needs COM on this thread.
    HRESULT com = CoInitialize(nullptr);
    {
        Win32ManagerUi ui;
        ManagerDialog dialog(ui);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return FALSE;
}

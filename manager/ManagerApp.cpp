#include "manager/ManagerApp.h"

#include "framework/ComInitialization.h"
#include "manager/ManagerDialog.h"
#include "manager/ManagerUi.h"

#include <commctrl.h>

ManagerApp::ManagerApp() : CWinApp("KestrinManager") {}

BOOL ManagerApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    const ComInitialization com;
    Win32ManagerUi ui;
    ManagerDialog dialog(ui);
    RunMainDialog(dialog);
    return FALSE;
}

#include "uninstall/UnInstallApp.h"

#include "uninstall/Removal.h"
#include "uninstall/UnInstallDialog.h"
#include "uninstall/UnInstallUi.h"

UnInstallApp::UnInstallApp() : CWinApp("UnInstall") {}

BOOL UnInstallApp::InitInstance() {
    Win32UnInstallUi ui;
    if (IsSilentCommandLine(GetCommandLineA())) {
        try {
            exitCode = RunSilentRemoval(ui);
        } catch (...) {
            exitCode = (1 << kRemovalStepCount) - 1;
        }
        return FALSE;
    }
    UnInstallDialog dialog(ui);
    RunMainDialog(dialog);
    return FALSE;
}

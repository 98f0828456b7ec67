// UnInstall's application object: runs the removal dialog and ends with it, or, with /S on the
// command line, runs the same removal without a window and ends with its exit code.
#pragma once

#include "framework/WinApp.h"

class UnInstallApp : public CWinApp {
public:
    UnInstallApp();
    BOOL InitInstance() override;
    int ExitInstance() override { return exitCode; }

private:
    int exitCode = 0;
};

// KestrinManager's application object: runs the manager's dialog and ends with it.
#pragma once

#include "framework/WinApp.h"

class ManagerApp : public CWinApp {
public:
    ManagerApp();
    BOOL InitInstance() override;
};

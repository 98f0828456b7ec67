#include "framework/WinApp.h"

namespace {
CWinApp* theApp = nullptr;
HINSTANCE resourceHandle = nullptr;
} // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) { theApp = this; }

CWinApp::~CWinApp() {
    if (theApp == this) {
        theApp = nullptr;
    }
}

CWinApp* AfxGetApp() { return theApp; }

HINSTANCE AfxGetResourceHandle() { return resourceHandle; }

CModuleContext::CModuleContext(HINSTANCE module) : previous_(resourceHandle) { resourceHandle = module; }

CModuleContext::~CModuleContext() { resourceHandle = previous_; }

BOOL AfxRunLibraryStart(HINSTANCE module) {
    resourceHandle = module;
    if (theApp == nullptr) {
        return TRUE;
    }
    theApp->m_hInstance = module;
    return theApp->InitInstance();
}

void AfxRunLibraryStop() {
    if (theApp != nullptr) {
        theApp->ExitInstance();
    }
}

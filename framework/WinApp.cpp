#include "framework/WinApp.h"

namespace {
CWinApp* theApp = nullptr;
HINSTANCE resourceHandle = nullptr;
} // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) {
    theApp = this;
}

CWinApp::~CWinApp() {
    if (theApp == this) {
        theApp = nullptr;
    }
}

CWinApp* AfxGetApp() {
    return theApp;
}

HINSTANCE AfxGetResourceHandle() {
    return resourceHandle;
}

CModuleContext::CModuleContext(HINSTANCE module) : m_hPreviousResources(resourceHandle) {
    resourceHandle = module;
}

CModuleContext::~CModuleContext() {
    resourceHandle = m_hPreviousResources;
}

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

int AfxWinMain(HINSTANCE instance) {
    resourceHandle = instance;
    if (theApp == nullptr) {
        return 1;
    }
    theApp->m_hInstance = instance;
    theApp->InitInstance();
    theApp->m_pMainWnd = nullptr;
    return theApp->ExitInstance();
}

// The application object of our small MFC-style framework. Each program and the conduit library
// have exactly one; its start and stop are driven by the program's entry point or the library's
// load and unload.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* appName);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start: return FALSE to stop right away. A library's start always succeeds. A dialog program
    // runs its dialog here and returns FALSE, so that the program ends when the dialog ends.
    virtual BOOL InitInstance() { return TRUE; }
    // Stop: the result is the program's exit code.
    virtual int ExitInstance() { return 0; }

    const char* m_pszAppName;
    HINSTANCE m_hInstance = nullptr;
    // The program's main window while it runs (a dialog program's dialog), or null.
    CWnd* m_pMainWnd = nullptr;

protected:
    // Runs a dialog program's dialog modally as the main window. (Any dialog with DoModal: the
    // application knows nothing of the dialog class.)
    template <class Dialog> void RunMainDialog(Dialog& dialog) {
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
};

// The one application object of this module, or null.
CWinApp* AfxGetApp();
// The module that owns the resources now in use (see AFX_MANAGE_STATE).
HINSTANCE AfxGetResourceHandle();

// While it lives, the module context is that of `module`: its resources are the ones found.
// Every entry point of a library takes its own context on entry and gives the caller's back on exit.
class CModuleContext {
public:
    explicit CModuleContext(HINSTANCE module);
    ~CModuleContext();
    CModuleContext(const CModuleContext&) = delete;
    CModuleContext& operator=(const CModuleContext&) = delete;

private:
    HINSTANCE m_hPreviousResources;
};

// Entry helpers for the module's entry point: set the instance and run start or stop.
BOOL AfxRunLibraryStart(HINSTANCE module);
void AfxRunLibraryStop();

// A program's WinMain: sets the instance, runs start and then stop of the application object and
// returns stop's result as the program's exit code (start's FALSE only skips a message loop, which
// dialog programs do not have).
int AfxWinMain(HINSTANCE instance);

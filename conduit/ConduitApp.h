// The conduit library's application object: module start loads the language library once,
// module stop frees it when the last start is matched.
#pragma once

#include "framework/WinApp.h"

class ConduitApp : public CWinApp {
public:
    ConduitApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    HINSTANCE ownInstance() const { return ownInstance_; }
    HINSTANCE languageLibrary() const { return languageLibrary_; }
    long languageReferenceCount() const { return languageReferenceCount_; }

    // Start and stop with an explicit module instance (the library's load and unload pass theirs).
    void Start(HINSTANCE module);
    void Stop();

private:
    long languageReferenceCount_ = 0;
    HINSTANCE ownInstance_ = nullptr;
    HINSTANCE languageLibrary_ = nullptr;
};

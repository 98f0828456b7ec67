#include "conduit/ConduitApp.h"

#include "interfaces/palm/PalmCmn.h"
#include "settings/InstalledLayout.h"

namespace {
constexpr const char* kLanguageLibrary = "KESTRINCONDUITLANG.DLL";
}

ConduitApp::ConduitApp() : CWinApp(layout::kConduitName) {}

BOOL ConduitApp::InitInstance() {
    Start(m_hInstance);
    return TRUE;
}

int ConduitApp::ExitInstance() {
    Stop();
    return 0;
}

void ConduitApp::Start(HINSTANCE module) {
    if (languageReferenceCount_ == 0) {
        ownInstance_ = module;
        DWORD unused = 0;
        languageLibrary_ = PalmLoadLanguage(kLanguageLibrary, ownInstance_, &unused);
    }
    ++languageReferenceCount_;
}

void ConduitApp::Stop() {
    --languageReferenceCount_;
    if (languageReferenceCount_ <= 0) {
        PalmFreeLanguage(languageLibrary_, ownInstance_);
        languageLibrary_ = ownInstance_;
    }
}

#include "setup/SetupApp.h"

#include "setup/SetupDialog.h"
#include "setup/resource.h"

#include <commctrl.h>
#include <objbase.h>

#include <cctype>

namespace {

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool IsSwitch(const std::string& word, const char* name) {
    return word.size() == 2 && word[0] == '/' && std::toupper(static_cast<unsigned char>(word[1])) == name[0];
}

// Handles the thread's messages until the dialog has ended or none is left waiting.
void RunUntilEnded(HWND window) {
    MSG message = {};
    while (IsWindow(window) && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

SetupCommandLine ParseSetupArguments(const std::string& arguments) {
    SetupCommandLine line;
    std::string rest = Trimmed(arguments);
    while (!rest.empty()) {
        if (rest.size() >= 3 && rest[0] == '/' && std::toupper(static_cast<unsigned char>(rest[1])) == 'D' &&
            rest[2] == '=') {
            line.folder = Trimmed(rest.substr(3));
            break;
        }
        size_t end = rest.find_first_of(" \t");
        std::string word = rest.substr(0, end);
        rest = end == std::string::npos ? std::string() : Trimmed(rest.substr(end));
        if (IsSwitch(word, "S")) {
            line.silent = true;
        } else {
            line.understood = false;
        }
    }
    return line;
}

std::string ProgramArguments(const char* commandLine) {
    std::string line = commandLine != nullptr ? commandLine : "";
    size_t end = 0;
    if (!line.empty() && line[0] == '"') {
        end = line.find('"', 1);
        end = end == std::string::npos ? line.size() : end + 1;
    } else {
        end = line.find_first_of(" \t");
        end = end == std::string::npos ? line.size() : end;
    }
    return line.substr(end);
}

int RunSilentSetup(SetupUi& ui, const std::optional<std::string>& folder) {
    CModeless<SetupDialog> dialog(ui);
    // Refused at start (HotSync Manager missing), the dialog ends before it exists.
    if (!dialog.Create() || dialog.GetSafeHwnd() == nullptr) {
        SetupOutcome outcome = dialog.Outcome();
        return static_cast<int>(outcome == SetupOutcome::Installed ? SetupOutcome::NotFinished : outcome);
    }
    HWND window = dialog.GetSafeHwnd();
    if (folder) {
        SetDlgItemTextA(window, IDC_FOLDER, folder->c_str());
    }
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_INSTALL)));
    RunUntilEnded(window);
    SetupOutcome outcome = dialog.Outcome();
    if (outcome == SetupOutcome::Installed && !dialog.Finished()) {
        outcome = SetupOutcome::NotFinished;
    }
    return static_cast<int>(outcome);
}

SetupApp::SetupApp() : CWinApp("Setup") {}

BOOL SetupApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    SetupCommandLine line = ParseSetupArguments(ProgramArguments(GetCommandLineA()));
    if (line.silent) {
        SilentSetupUi ui;
        exitCode = line.understood ? RunSilentSetup(ui, line.folder)
                                   : static_cast<int>(SetupOutcome::BadCommandLine);
        return FALSE;
    }
    // The shell's folder picker needs COM on this thread.
    HRESULT com = CoInitialize(nullptr);
    {
        Win32SetupUi ui;
        SetupDialog dialog(ui);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return FALSE;
}

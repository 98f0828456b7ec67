#include "setup/SetupApp.h"

#include "framework/ComInitialization.h"
#include "install/CommandLine.h"
#include "settings/OutgoingFolder.h"
#include "setup/SetupDialog.h"
#include "setup/resource.h"
#include "win/Paths.h"

#include <commctrl.h>

#include <cctype>
#include <optional>

namespace {

// The folder of a "/D=folder" switch, which takes the rest of the line. Windows quotes an argument
// that holds a space, so the switch may come as "/D=folder" in quotes, or its folder alone quoted.
std::optional<std::string> FolderSwitchValue(const std::string& rest) {
    const bool quoted = !rest.empty() && rest[0] == '"';
    std::string text = quoted ? rest.substr(1) : rest;
    if (text.size() < 3 || text[0] != '/' || std::toupper(static_cast<unsigned char>(text[1])) != 'D' ||
        text[2] != '=') {
        return std::nullopt;
    }
    std::string folder = install::TrimmedBlanks(text.substr(3));
    if (quoted && !folder.empty() && folder.back() == '"') {
        folder.pop_back();
    } else if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') {
        folder = folder.substr(1, folder.size() - 2);
    }
    return folder;
}

// The command line in UTF-8: its syntax is ASCII, and a folder's name comes through whole, to be
// judged against the code page afterwards.
std::string Utf8CommandLine() {
    return win::ToAnsi(GetCommandLineW(), CP_UTF8);
}

} // namespace

SetupCommandLine ParseSetupArguments(const std::string& arguments) {
    SetupCommandLine line;
    std::string rest = install::TrimmedBlanks(arguments);
    while (!rest.empty()) {
        if (std::optional<std::string> folder = FolderSwitchValue(rest)) {
            line.folder = *folder;
            break;
        }
        size_t end = rest.find_first_of(" \t");
        std::string word = rest.substr(0, end);
        rest = end == std::string::npos ? std::string() : install::TrimmedBlanks(rest.substr(end));
        if (install::IsSwitch(word, 'S')) {
            line.silent = true;
        } else {
            line.understood = false;
        }
    }
    return line;
}

SetupApp::SetupApp() : CWinApp("Setup") {}

BOOL SetupApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    SetupCommandLine line = ParseSetupArguments(install::ProgramArguments(Utf8CommandLine().c_str()));
    if (line.silent) {
        SilentSetupUi ui;
        std::optional<folders::TypedFolder> folder;
        if (line.folder) {
            folder = folders::TypedFolder::FromWide(win::ToWide(*line.folder, CP_UTF8));
        }
        exitCode =
            line.understood ? RunSilentSetup(ui, folder) : static_cast<int>(SetupOutcome::BadCommandLine);
        return FALSE;
    }
    const ComInitialization com;
    Win32SetupUi ui;
    SetupDialog dialog(ui);
    RunMainDialog(dialog);
    return FALSE;
}

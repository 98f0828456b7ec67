// Setup's application object: runs the installation dialog and ends with it. With /S it runs the
// same installation without showing the dialog and without asking anything.
#pragma once

#include "framework/WinApp.h"
#include "setup/SetupUi.h"

#include <optional>
#include <string>

// What the command line asks for: "/S" installs silently, "/D=folder" (the rest of the line) names
// the install folder of a silent installation. Setup reads its command line in UTF-8.
struct SetupCommandLine {
    bool silent = false;
    std::optional<std::string> folder;
    // False when the line holds anything else; a silent installation then does nothing.
    bool understood = true;
};

// `arguments` is the command line after the program's name.
SetupCommandLine ParseSetupArguments(const std::string& arguments);

class SetupApp : public CWinApp {
public:
    SetupApp();
    BOOL InitInstance() override;
    int ExitInstance() override { return exitCode; }

private:
    int exitCode = 0;
};

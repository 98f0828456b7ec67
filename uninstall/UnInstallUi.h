// UnInstall's only ways of reaching beyond its own window: message boxes, the restart request and
// the deletion of its own program file at the next start of Windows. The dialog and the silent
// removal go through this seam, so that tests answer every question, never restart anything and
// never schedule a real deletion.
#pragma once

#include <windows.h>

#include <string>

// Caption of every message of UnInstall.
inline constexpr const char* kUnInstallCaption = "UnInstallation";

class UnInstallUi {
public:
    virtual ~UnInstallUi() = default;
    // A message box with UnInstall's caption; the button pressed (IDOK, IDYES, IDNO).
    virtual int ShowMessage(HWND owner, const std::string& text, UINT style) = 0;
    // Asks Windows to restart.
    virtual void RequestRestart() = 0;
    // Arranges for the file (given by its short path) to be deleted at the next start of Windows.
    virtual void ScheduleDeletionAtRestart(const std::string& shortPath) = 0;
};

// The real message box, restart request and "Wininit.ini" entry.
class Win32UnInstallUi : public UnInstallUi {
public:
    int ShowMessage(HWND owner, const std::string& text, UINT style) override;
    void RequestRestart() override;
    void ScheduleDeletionAtRestart(const std::string& shortPath) override;
};

// Setup's only ways of asking the user something or acting on the machine beyond its files and
// registry: message boxes, the folder picker, the restart request and the rights on the transfer
// folders. The dialog goes through this seam so that tests answer deterministically and nothing ever
// restarts Windows from a test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Caption of every message of Setup.
inline constexpr const char* kSetupCaption = "Installation";

class SetupUi {
public:
    virtual ~SetupUi() = default;
    // A message box with Setup's caption; the button pressed (IDOK, IDYES, IDNO).
    virtual int ShowMessage(HWND owner, const std::string& text, UINT style) = 0;
    // The file-system path of the chosen folder; nothing when cancelled or not a file-system folder.
    virtual std::optional<std::string> ChooseFolder(HWND owner, const char* title) = 0;
    // Asks Windows to restart; the result is not used.
    virtual void RequestRestart() = 0;
    // Lets every user of the PC modify the folder and what it will hold (install::GrantUsersModify);
    // ERROR_SUCCESS or the platform's error.
    virtual DWORD GrantUsersModify(const std::string& folder);
};

// The real message box, the shell's folder picker and the real restart request.
class Win32SetupUi : public SetupUi {
public:
    int ShowMessage(HWND owner, const std::string& text, UINT style) override;
    std::optional<std::string> ChooseFolder(HWND owner, const char* title) override;
    void RequestRestart() override;
};

// Silent installation: shows nothing, says Yes to ending the installation after a failure, declines
// the restart and never picks a folder.
class SilentSetupUi : public SetupUi {
public:
    int ShowMessage(HWND owner, const std::string& text, UINT style) override;
    std::optional<std::string> ChooseFolder(HWND, const char*) override { return std::nullopt; }
    void RequestRestart() override {}
};

#include "setup/SetupUi.h"

#include "framework/ShellFolders.h"
#include "install/FolderRights.h"
#include "install/Restart.h"
#include "setup/SetupMessages.h"

DWORD SetupUi::GrantUsersModify(const std::string& folder) {
    return install::GrantUsersModify(folder);
}

int Win32SetupUi::ShowMessage(HWND owner, const std::string& text, UINT style) {
    return MessageBoxA(owner, text.c_str(), kSetupCaption, style);
}

std::optional<std::string> Win32SetupUi::ChooseFolder(HWND owner, const char* title) {
    return ChooseFileSystemFolder(owner, title);
}

void Win32SetupUi::RequestRestart() {
    install::RequestWindowsRestart();
}

int SilentSetupUi::ShowMessage(HWND, const std::string& text, UINT style) {
    if ((style & MB_TYPEMASK) != MB_YESNO) {
        return IDOK;
    }
    // The only questions: ending the installation after a failure, and the restart offer.
    return text == messages::kAbortQuestion ? IDYES : IDNO;
}

#include "setup/SetupUi.h"

#include "install/Restart.h"
#include "setup/SetupMessages.h"

#include <shlobj.h>

int Win32SetupUi::ShowMessage(HWND owner, const std::string& text, UINT style) {
    return MessageBoxA(owner, text.c_str(), kSetupCaption, style);
}

std::optional<std::string> Win32SetupUi::ChooseFolder(HWND owner, const char* title) {
    char displayName[MAX_PATH] = {};
    BROWSEINFOA request = {};
    request.hwndOwner = owner;
    request.pszDisplayName = displayName;
    request.lpszTitle = title;
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&request);
    if (chosen == nullptr) {
        return std::nullopt;
    }
    char path[MAX_PATH] = {};
    const bool named = SHGetPathFromIDListA(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (!named || path[0] == '\0') {
        return std::nullopt;
    }
    return std::string(path);
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

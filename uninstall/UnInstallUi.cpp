#include "uninstall/UnInstallUi.h"

#include "install/Restart.h"
#include "install/RestartDeletion.h"

int Win32UnInstallUi::ShowMessage(HWND owner, const std::string& text, UINT style) {
    return MessageBoxA(owner, text.c_str(), kUnInstallCaption, style);
}

void Win32UnInstallUi::RequestRestart() {
    install::RequestWindowsRestart();
}

void Win32UnInstallUi::ScheduleDeletionAtRestart(const std::string& shortPath) {
    install::WriteWininitDeletion(install::kWininitFile, shortPath);
    install::RegisterDeletionAtRestart(shortPath);
}

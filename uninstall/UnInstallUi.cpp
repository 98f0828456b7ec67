#include "uninstall/UnInstallUi.h"

#include "install/Restart.h"

int Win32UnInstallUi::ShowMessage(HWND owner, const std::string& text, UINT style) {
    return MessageBoxA(owner, text.c_str(), kUnInstallCaption, style);
}

void Win32UnInstallUi::RequestRestart() {
    install::RequestWindowsRestart();
}

void Win32UnInstallUi::ScheduleDeletionAtRestart(const std::string& shortPath) {
    WriteWininitDeletion(kWininitFile, shortPath);
    RegisterDeletionAtRestart(shortPath);
}

void WriteWininitDeletion(const char* profileFile, const std::string& shortPath) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, profileFile);
    WritePrivateProfileStringA("rename", "nul", shortPath.c_str(), profileFile);
}

void RegisterDeletionAtRestart(const std::string& path) {
    MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

#include "install/Restart.h"

#include "win/Handles.h"

#include <windows.h>

namespace install {
namespace {

void EnableShutdownPrivilege() {
    win::KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.receive())) {
        token.release();
        return;
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    }
}

} // namespace

void RequestWindowsRestart() {
    EnableShutdownPrivilege();
    ExitWindowsEx(EWX_REBOOT, 0);
}

} // namespace install

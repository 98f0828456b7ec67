// Drives the real UnInstall.exe from another process through its windows, as a user would.
//   UnInstallDriver run PROGRAM [yes|no]  starts PROGRAM, answers the confirmation (Yes unless told
//                                         no), presses OK on every error message, waits for the "Ok"
//                                         button, prints the marks and the warning, presses "Ok",
//                                         answers the restart question No and waits for the end
//   UnInstallDriver start PROGRAM         the same up to the marks, then leaves the dialog open
//   UnInstallDriver rect                  prints the open dialog's window rectangle: left top width height
//   UnInstallDriver finish                presses "Ok" on the open dialog and answers the restart question No
// Prints one line per event:
//   message <text>            a message box and its text (line breaks as \n)
//   marks 1 2 3 4 5 6         the steps whose "Ok!" mark shows
//   warning shown|hidden      the warning group
//   exit <code>               the program's exit code
// Exits 0 when the program ended, 1 on a time-out or when it could not be started.
#include "tests/drivers/DriverWindows.h"
#include "uninstall/resource.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kTimeoutMs = 60000;
constexpr const char* kCaption = "UnInstallation";
constexpr const char* kDialogTitle = "Kestrin uninstaller";

std::string Text(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof(text));
    return driver::OneLine(text);
}

// Answers a message box by its text: the confirmation with `confirm`, the restart question No, any
// other message OK.
void Answer(HWND box, bool confirm) {
    std::string text = Text(GetDlgItem(box, driver::kMessageTextId));
    std::printf("message %s\n", text.c_str());
    std::fflush(stdout);
    int button = IDOK;
    if (text.rfind("Are you sure", 0) == 0) {
        button = confirm ? IDYES : IDNO;
    } else if (text.size() >= 20 && text.compare(text.size() - 20, 20, "Restart Windows now?") == 0) {
        button = IDNO;
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    driver::WaitUntilGone(box, kTimeoutMs);
}

void ReportDialog(HWND dialog) {
    std::printf("marks");
    for (int id = IDC_MARK_CONDUIT; id <= IDC_MARK_PROGRAM_GROUP; ++id) {
        if (IsWindowVisible(GetDlgItem(dialog, id))) {
            std::printf(" %d", id - IDC_MARK_CONDUIT + 1);
        }
    }
    std::printf("\nwarning %s\n",
                IsWindowVisible(GetDlgItem(dialog, IDC_WARNING_FRAME)) ? "shown" : "hidden");
    std::fflush(stdout);
}

// Until the program ends or, when `leaveOpen`, until the marks show; false on a time-out.
bool Drive(const PROCESS_INFORMATION& process, bool confirm, bool leaveOpen) {
    bool okPressed = false;
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > kTimeoutMs) {
            std::printf("timeout\n");
            return false;
        }
        if (HWND box = driver::FindVisibleWindow(process.dwProcessId, kCaption)) {
            Answer(box, confirm);
            continue;
        }
        HWND dialog = driver::FindVisibleWindow(process.dwProcessId, kDialogTitle);
        HWND ok = dialog != nullptr ? GetDlgItem(dialog, IDCANCEL) : nullptr;
        if (!okPressed && ok != nullptr && IsWindowEnabled(ok)) {
            ReportDialog(dialog);
            if (leaveOpen) {
                return true;
            }
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
            okPressed = true;
        }
    }
    return true;
}

bool Start(const char* program, PROCESS_INFORMATION& process) {
    return driver::StartProgram(program, nullptr, process);
}

int StartAndLeaveOpen(const char* program) {
    PROCESS_INFORMATION process = {};
    if (!Start(program, process)) {
        return 1;
    }
    bool shown = Drive(process, true, true);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown ? 0 : 1;
}

int Finish() {
    HWND dialog = driver::FindVisibleWindow(0, kDialogTitle);
    if (dialog == nullptr) {
        return 1;
    }
    return driver::PressUntilGone(dialog, IDCANCEL, kTimeoutMs, [](DWORD processId) {
        if (HWND box = driver::FindVisibleWindow(processId, kCaption)) {
            Answer(box, false);
        }
    });
}

int Run(const char* program, bool confirm) {
    PROCESS_INFORMATION process = {};
    if (!Start(program, process)) {
        return 1;
    }
    if (!Drive(process, confirm, false)) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kTimeoutMs);
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    std::printf("exit %lu\n", exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode == STILL_ACTIVE ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0) {
        bool confirm = argc < 4 || std::strcmp(argv[3], "no") != 0;
        return Run(argv[2], confirm);
    }
    if (argc == 3 && std::strcmp(argv[1], "start") == 0) {
        return StartAndLeaveOpen(argv[2]);
    }
    if (argc == 2 && std::strcmp(argv[1], "rect") == 0) {
        return driver::PrintWindowRect(kDialogTitle);
    }
    if (argc == 2 && std::strcmp(argv[1], "finish") == 0) {
        return Finish();
    }
    std::fprintf(stderr, "usage: UnInstallDriver run PROGRAM [yes|no] | start PROGRAM | rect | finish\n");
    return 2;
}

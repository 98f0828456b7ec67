// Drives a running KestrinManager from outside, for the screenshot script and the benchmark.
// Commands:
//   open-time PROGRAM ROWS
//       starts PROGRAM, prints the milliseconds until its dialog shows with ROWS listed files, then
//       closes it
//   wait
//       waits until the manager's dialog shows and activates it
//   page N
//       switches the running manager to page N (0 Files, 1 Settings, 2 About)
//   rect
//       prints the dialog's window rectangle: left top width height
//   close
//       closes the manager as its close box does
#include "tests/drivers/DriverWindows.h"
#include "manager/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kTimeoutMs = 60000;
constexpr const char* kDialogClass = "#32770";
constexpr const char* kDialogTitle = "Kestrin Manager";

HWND FindManager() {
    return driver::FindVisibleWindow(0, kDialogTitle, kDialogClass);
}

HWND WaitForManager() {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kTimeoutMs) {
        if (HWND dialog = FindManager()) {
            return dialog;
        }
        Sleep(20);
    }
    return nullptr;
}

int ListedRows(HWND dialog) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_FILE_LIST), LVM_GETITEMCOUNT, 0, 0));
}

int OpenTime(const char* program, int rows) {
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    PROCESS_INFORMATION process = {};
    if (!driver::StartProgram(program, nullptr, process)) {
        return 1;
    }
    HWND dialog = nullptr;
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        dialog = FindManager();
        if (dialog != nullptr && ListedRows(dialog) >= rows) {
            break;
        }
        Sleep(1);
    }
    QueryPerformanceCounter(&end);
    int listed = dialog != nullptr ? ListedRows(dialog) : 0;
    if (dialog != nullptr) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    WaitForSingleObject(process.hProcess, kTimeoutMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    double ms =
        1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("%.0f ms to open the manager with %d listed files\n", ms, listed);
    return listed >= rows ? 0 : 1;
}

int SwitchPage(HWND dialog, int page) {
    HWND tabs = GetDlgItem(dialog, IDC_TABS);
    // Arrow keys move the tab control's selection, which notifies the dialog as a click does.
    for (int tries = 0; tries < 6; ++tries) {
        int current = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
        if (current == page) {
            return 0;
        }
        SendMessageA(tabs, WM_KEYDOWN, current < page ? VK_RIGHT : VK_LEFT, 0);
        SendMessageA(tabs, WM_KEYUP, current < page ? VK_RIGHT : VK_LEFT, 0);
    }
    std::fprintf(stderr, "could not switch to page %d\n", page);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "open-time" && argc > 3) {
        return OpenTime(argv[2], std::atoi(argv[3]));
    }
    HWND dialog = WaitForManager();
    if (dialog == nullptr) {
        std::fprintf(stderr, "the manager's dialog did not show\n");
        return 1;
    }
    if (command == "wait") {
        SetForegroundWindow(dialog);
        return 0;
    }
    if (command == "page" && argc > 2) {
        return SwitchPage(dialog, std::atoi(argv[2]));
    }
    if (command == "rect") {
        return driver::PrintWindowRect(kDialogTitle, kDialogClass);
    }
    if (command == "close") {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: ManagerDriver open-time PROGRAM ROWS | wait | page N | rect | close\n");
    return 1;
}

// Drives a real Setup.exe from another process through its window, as a user would.
//   SetupDriver run SETUP_EXE [--folder TEXT] [--cancel] [--answer PART=yes|no|ok]...
// starts SETUP_EXE in its own folder, waits for its dialog, types TEXT into the folder field and
// presses Install (or, with --cancel, presses Cancel), then answers every message box of Setup by
// its text: the first --answer whose PART occurs in the text names the button; a box that no
// answer matches gets No (a question) or OK. Prints one line "message: TEXT" per box (line breaks
// as \n), then "exit: CODE". Exits 0 when Setup ended, 1 when it did not within a minute.
//   SetupDriver start SETUP_EXE   starts SETUP_EXE in its own folder and waits for its dialog, which
//                                 it leaves open; exits 0 once the dialog shows, 1 otherwise
//   SetupDriver rect              prints the open dialog's window rectangle: left top width height
//   SetupDriver cancel            presses Cancel on the open dialog, answers the abort question Yes
//                                 and waits until the dialog has gone
#include "tests/drivers/DriverWindows.h"
#include "setup/resource.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 60000;
// Setup's dialog and its message boxes.
constexpr const char* kDialogClass = "#32770";
constexpr const char* kDialogCaption = "Kestrin installation";

struct Answer {
    std::string part;
    int button;
};

int ButtonFor(const std::string& text, HWND box, const std::vector<Answer>& answers) {
    for (const Answer& answer : answers) {
        if (text.find(answer.part) != std::string::npos) {
            return answer.button;
        }
    }
    return GetDlgItem(box, IDNO) != nullptr ? IDNO : IDOK;
}

// Answers one open message box of the process; false when none is open.
bool AnswerMessageBox(DWORD process, const std::vector<Answer>& answers) {
    HWND box = driver::FindVisibleWindow(process, "Installation", kDialogClass);
    if (box == nullptr) {
        return false;
    }
    char text[1024] = {};
    GetDlgItemTextA(box, driver::kMessageTextId, text, sizeof(text));
    std::printf("message: %s\n", driver::OneLine(text).c_str());
    std::fflush(stdout);
    int button = ButtonFor(text, box, answers);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    driver::WaitUntilGone(box, kTimeoutMs);
    return true;
}

HWND FindDialog(DWORD process) {
    return driver::FindVisibleWindow(process, kDialogCaption, kDialogClass);
}

// Starts the program in its own folder.
bool Start(const std::string& program, PROCESS_INFORMATION& started) {
    std::string programFolder = program.substr(0, program.find_last_of('\\') + 1);
    if (!driver::StartProgram(program, programFolder.empty() ? nullptr : programFolder.c_str(), started)) {
        return false;
    }
    CloseHandle(started.hThread);
    return true;
}

int Run(const std::string& program, const std::string* folder, bool cancel,
        const std::vector<Answer>& answers) {
    PROCESS_INFORMATION started = {};
    if (!Start(program, started)) {
        return 1;
    }
    DWORD start = GetTickCount();
    bool pressed = false;
    while (WaitForSingleObject(started.hProcess, 10) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > kTimeoutMs) {
            std::fprintf(stderr, "Setup did not end\n");
            TerminateProcess(started.hProcess, 1);
            CloseHandle(started.hProcess);
            return 1;
        }
        if (AnswerMessageBox(started.dwProcessId, answers)) {
            continue;
        }
        HWND dialog = pressed ? nullptr : FindDialog(started.dwProcessId);
        if (dialog != nullptr) {
            if (folder != nullptr) {
                SendMessageA(GetDlgItem(dialog, IDC_FOLDER), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(folder->c_str()));
            }
            PostMessageA(GetDlgItem(dialog, cancel ? IDCANCEL : IDC_INSTALL), BM_CLICK, 0, 0);
            pressed = true;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hProcess);
    std::printf("exit: %lu\n", code);
    return 0;
}

int StartAndLeaveOpen(const std::string& program) {
    PROCESS_INFORMATION started = {};
    if (!Start(program, started)) {
        return 1;
    }
    bool shown = false;
    for (DWORD start = GetTickCount(); !shown && GetTickCount() - start < kTimeoutMs; Sleep(20)) {
        if (WaitForSingleObject(started.hProcess, 0) != WAIT_TIMEOUT) {
            break;
        }
        shown = FindDialog(started.dwProcessId) != nullptr;
    }
    CloseHandle(started.hProcess);
    if (!shown) {
        std::fprintf(stderr, "Setup's dialog did not show\n");
    }
    return shown ? 0 : 1;
}

int CancelOpenDialog() {
    HWND dialog = FindDialog(0);
    if (dialog == nullptr) {
        return 1;
    }
    const std::vector<Answer> abort = {{"abort", IDYES}};
    return driver::PressUntilGone(dialog, IDCANCEL, kTimeoutMs,
                                  [&](DWORD process) { AnswerMessageBox(process, abort); });
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "start") {
        return StartAndLeaveOpen(argv[2]);
    }
    if (argc == 2 && std::string(argv[1]) == "rect") {
        return driver::PrintWindowRect(kDialogCaption, kDialogClass);
    }
    if (argc == 2 && std::string(argv[1]) == "cancel") {
        return CancelOpenDialog();
    }
    if (argc < 3 || std::string(argv[1]) != "run") {
        std::fprintf(
            stderr,
            "usage: SetupDriver run SETUP_EXE [--folder TEXT] [--cancel] [--answer PART=yes|no|ok]... | "
            "start SETUP_EXE | rect | cancel\n");
        return 1;
    }
    std::string folder;
    bool hasFolder = false;
    bool cancel = false;
    std::vector<Answer> answers;
    for (int i = 3; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--folder" && i + 1 < argc) {
            folder = argv[++i];
            hasFolder = true;
        } else if (option == "--cancel") {
            cancel = true;
        } else if (option == "--answer" && i + 1 < argc) {
            std::string rule = argv[++i];
            size_t equals = rule.rfind('=');
            std::string button = equals == std::string::npos ? "" : rule.substr(equals + 1);
            int id = button == "yes" ? IDYES : button == "no" ? IDNO : IDOK;
            answers.push_back({rule.substr(0, equals), id});
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 1;
        }
    }
    return Run(argv[2], hasFolder ? &folder : nullptr, cancel, answers);
}

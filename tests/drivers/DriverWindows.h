// What the drivers of Setup, UnInstall and the manager share: they start the program, find its
// windows and answer its message boxes from another process, as a user would.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace driver {

// The text control of a message box.
constexpr int kMessageTextId = 0xFFFF;

struct WindowSearch {
    DWORD processId; // 0: any process
    const char* title;
    const char* windowClass; // null: any class
    HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char title[128] = {};
    char kind[32] = {};
    GetWindowTextA(window, title, sizeof(title));
    GetClassNameA(window, kind, sizeof(kind));
    if ((search->processId == 0 || owner == search->processId) && IsWindowVisible(window) &&
        std::strcmp(title, search->title) == 0 &&
        (search->windowClass == nullptr || std::strcmp(kind, search->windowClass) == 0)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible top-level window of the process (of any process when `processId` is 0) with this
// title and, when given, this window class; null when there is none.
inline HWND FindVisibleWindow(DWORD processId, const char* title, const char* windowClass = nullptr) {
    WindowSearch search = {processId, title, windowClass, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text on one line, for the driver's output: line breaks written as \n.
inline std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            line += "\\n";
        } else if (c != '\r') {
            line += c;
        }
    }
    return line;
}

// Waits until the window has gone or hidden, so that it is not answered twice.
inline void WaitUntilGone(HWND window, DWORD timeoutMs) {
    for (DWORD start = GetTickCount();
         IsWindow(window) && IsWindowVisible(window) && GetTickCount() - start < timeoutMs;) {
        Sleep(10);
    }
}

// Prints the rectangle of the visible window of any process with this title (and class):
// left top width height. The driver's exit code: 0, or 1 when there is no such window.
inline int PrintWindowRect(const char* title, const char* windowClass = nullptr) {
    HWND window = FindVisibleWindow(0, title, windowClass);
    if (window == nullptr) {
        return 1;
    }
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}

// Presses `button` of an open dialog, then lets `answerBoxes(processId)` answer the message boxes of
// the dialog's process until the dialog has gone. The driver's exit code: 0, or 1 on a time-out.
template <class AnswerBoxes>
int PressUntilGone(HWND dialog, int button, DWORD timeoutMs, AnswerBoxes answerBoxes) {
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < timeoutMs; Sleep(20)) {
        answerBoxes(processId);
    }
    return IsWindow(dialog) ? 1 : 0;
}

// Starts the program in `folder` (null: the driver's own folder); false, with a note on stderr,
// when it cannot be started.
inline bool StartProgram(const std::string& program, const char* folder, PROCESS_INFORMATION& started) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &started)) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        return false;
    }
    return true;
}

} // namespace driver

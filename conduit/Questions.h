// The overwrite questions: message boxes owned by no window, caption "Kestrin Conduit".
#pragma once

#include <windows.h>

#include <string>

// The message box a synchronisation asks its questions with: MessageBoxA, or a test's answerer.
using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// An overwrite policy turned into an answer for one existing file: DoNothing keeps it, Ask shows
// `question` with Yes and No and the warning icon (Yes replaces), and every other number replaces it.
bool AllowsOverwrite(MessageBoxFunction messageBox, DWORD policy, const std::string& question);

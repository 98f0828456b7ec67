// The overwrite questions: message boxes owned by no window, caption "Kestrin Conduit".
#pragma once

#include <windows.h>

#include <string>

using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Every question of the conduit goes through this; tests put their own answerer here.
extern MessageBoxFunction conduitMessageBox;

// Shows `text` with Yes and No and the warning icon; true only for Yes.
bool UserAllowsOverwrite(const std::string& text);

// An overwrite policy turned into an answer for one existing file: DoNothing keeps it, Ask asks
// `question` (Yes replaces), and every other number replaces it.
bool AllowsOverwrite(DWORD policy, const std::string& question);

// The shell's folder chooser, for the programs that let the user pick a folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Lets the user pick a file-system folder under `title`; nothing when the user cancels or picks
// something that has no file-system path. COM must be initialised on the calling thread.
std::optional<std::string> ChooseFileSystemFolder(HWND owner, const char* title);

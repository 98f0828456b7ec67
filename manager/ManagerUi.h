// The manager's only ways of asking the user something: message boxes and the file and folder
// choosers. The dialog goes through this seam so that tests can answer deterministically.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Caption of every message of the manager.
inline constexpr const char* kMessageCaption = "Kestrin manager";

class ManagerUi {
public:
    virtual ~ManagerUi() = default;
    // A message box with the manager's caption; the button pressed (IDOK, IDYES, IDNO).
    virtual int ShowMessage(HWND owner, const std::string& text, UINT style) = 0;
    // The files chosen for transfer, in the chooser's order; nothing when not confirmed.
    virtual std::optional<std::vector<std::string>> ChooseFiles(HWND owner) = 0;
    // The file-system path of the chosen folder; nothing when cancelled or not a file-system folder.
    virtual std::optional<std::string> ChooseFolder(HWND owner, const char* title) = 0;
};

// The real message box, common open-file dialog and shell folder chooser.
class Win32ManagerUi : public ManagerUi {
public:
    int ShowMessage(HWND owner, const std::string& text, UINT style) override;
    std::optional<std::vector<std::string>> ChooseFiles(HWND owner) override;
    std::optional<std::string> ChooseFolder(HWND owner, const char* title) override;
};

// The paths of an open-file dialog's answer: one full path, or with several files the folder and
// then each name, every part ending in a zero and the whole in two.
std::vector<std::string> SplitFileSelection(const char* buffer, size_t size);

// Test helpers for the manager: a scripted stand-in for its message boxes and choosers, scratch
// folders, the Settings store, and the real dialog opened modeless in the test process.
#pragma once

#include "manager/ManagerDialog.h"
#include "manager/ManagerUi.h"
#include "tests/support/Dialogs.h"
#include "tests/support/Files.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using testsupport::CurrentDirectoryScope;
using testsupport::FileExists;
using testsupport::ReadWholeFile;

// Answers the manager's questions from a script and records what it was asked.
class ScriptedUi : public ManagerUi {
public:
    struct Message {
        std::string text;
        UINT style;
    };

    int ShowMessage(HWND owner, const std::string& text, UINT style) override;
    std::optional<std::vector<std::string>> ChooseFiles(HWND owner) override;
    std::optional<std::string> ChooseFolder(HWND owner, const char* title) override;

    std::vector<Message> messages;
    std::deque<int> answers; // for questions; IDYES when the script has run out
    std::optional<std::vector<std::string>> filesToChoose;
    std::optional<std::string> folderToChoose;
    std::vector<std::string> folderTitles;
};

// A folder of its own under the temporary folder, removed with everything in it.
class ScratchFolder : public testsupport::ScratchFolder {
public:
    ScratchFolder() : testsupport::ScratchFolder("manager") {}

    // Writes a file of that content (and so that size) and returns its path.
    std::string WriteFile(const std::string& name, const std::string& content) const;
    std::string MakeFolder(const std::string& name) const;
};

// The values a test stores before it opens the manager.
struct StoredSettings {
    std::string outgoingFolder;
    std::string incomingFolder;
    DWORD fromPalmToPC = 2;
    DWORD fromPCToPalm = 2;
    DWORD widths[4] = {202, 86, 86, 86};
    DWORD archiver = 0;
};

void StoreSettings(const StoredSettings& values);
void DeleteSettings();
std::optional<DWORD> StoredNumber(const char* name);
std::optional<std::string> StoredText(const char* name);

// The manager's dialog, created from its template in the test process and driven by messages.
class OpenManager {
public:
    explicit OpenManager(ScriptedUi& ui);
    ~OpenManager();

    HWND window() const { return dialog_->GetSafeHwnd(); }
    bool IsOpen() const { return window() != nullptr && IsWindow(window()); }
    HWND Control(int id) const { return GetDlgItem(window(), id); }

    void SelectPage(int page) const;
    int SelectedTab() const;
    void Click(int id) const;
    void Type(int id, const std::string& text) const;
    std::string Text(int id) const;
    bool IsVisible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
    bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    bool IsChecked(int id) const { return IsDlgButtonChecked(window(), id) == BST_CHECKED; }

    int RowCount() const;
    std::vector<std::string> Names() const;
    std::string Cell(int row, int column) const;
    int RowImage(int row) const;
    bool IsRowSelected(int row) const;
    void SelectRow(int row) const;
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width) const;
    std::string ColumnHeading(int column) const;

    // The three ways to end the dialog.
    void PressDone() const { Click(IDOK); }
    void PressEscape() const;
    // The close box's WM_CLOSE posts the Cancel command, which the message loop then delivers.
    void CloseBox() const;
    void PumpMessages() const;

private:
    std::unique_ptr<ManagerDialog> dialog_;
};

// A scratch install folder with its Outbox and Inbox, stored as the two folders (tests may change
// `stored` before they store it); the Settings store is removed again at the end.
struct ManagerFixture {
    ScratchFolder root;
    std::string outbox = root.MakeFolder("Outbox");
    std::string inbox = root.MakeFolder("Inbox");
    ScriptedUi ui;
    StoredSettings stored;

    ManagerFixture() {
        stored.outgoingFolder = outbox;
        stored.incomingFolder = inbox;
    }
    ~ManagerFixture() { DeleteSettings(); }
};

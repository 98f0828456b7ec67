// Test helpers for UnInstall: a scripted stand-in for its seam, a fake installation laid out as Setup
// makes it (scratch folders, the two registry keys, the program group), and the real dialog opened
// modeless in the test process.
#pragma once

#include "tests/support/Dialogs.h"
#include "tests/support/Files.h"
#include "tests/support/Registry.h"
#include "uninstall/UnInstallDialog.h"
#include "uninstall/UnInstallUi.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

using testsupport::CurrentDirectoryScope;
using testsupport::FileExists;
using testsupport::FolderExists;
using testsupport::KeyExists;

// Answers UnInstall's questions from a script and records what it was asked and told.
class ScriptedUi : public UnInstallUi {
public:
    struct Message {
        std::string text;
        UINT style;
    };

    int ShowMessage(HWND owner, const std::string& text, UINT style) override;
    void RequestRestart() override { ++restartRequests; }
    void ScheduleDeletionAtRestart(const std::string& shortPath) override { scheduled.push_back(shortPath); }

    std::vector<std::string> Texts() const;

    std::vector<Message> messages;
    std::deque<int> answers; // for questions; IDYES when the script has run out
    int restartRequests = 0;
    std::vector<std::string> scheduled;
};

// Working and WithoutCall are the test's stand-ins; Emulated is the emulated Palm Desktop's library.
enum class CondMgr { Working, WithoutCall, Missing, Damaged, Emulated };

// A whole installation as Setup leaves it, in a scratch folder: the HotSync folder with the conduit
// and a Conduit Manager stand-in, the install folder with its files, Inbox and Outbox, the Settings
// store, the uninstall key and the program group with its three shortcuts. Everything is removed
// again at the end.
class FakeInstallation {
public:
    explicit FakeInstallation(CondMgr condMgr = CondMgr::Working);
    ~FakeInstallation();
    FakeInstallation(const FakeInstallation&) = delete;
    FakeInstallation& operator=(const FakeInstallation&) = delete;

    std::string InHotSync(const std::string& name) const { return testsupport::Join(hotSyncFolder, name); }
    std::string InInstall(const std::string& name) const { return testsupport::Join(installFolder, name); }
    std::string InGroup(const std::string& name) const { return testsupport::Join(programGroup, name); }
    std::string InScratch(const std::string& name) const { return root / name; }

    // Registry values of the Settings store, written as they are given.
    void StoreString(const char* name, const std::string& value) const;
    void StoreRaw(const char* name, DWORD type, const std::string& bytes) const;
    void DeleteValue(const char* name) const;

    // The creators that the Conduit Manager stand-in was asked to remove.
    std::vector<std::string> CondMgrCalls() const;
    void SetCondMgrResult(int result) const;

    // What a complete removal leaves: true when every item of the six steps is gone.
    bool EverythingRemoved() const;

    testsupport::ScratchFolder root;
    std::string hotSyncFolder;
    std::string installFolder;
    std::string programGroup;

private:
    bool madeGroupParent_ = false;
};

// UnInstall's dialog, created from its template in the test process. The confirmation is answered
// while it is created; the removal runs at the first PumpMessages (the constructor pumps unless told
// not to).
class OpenUnInstall {
public:
    explicit OpenUnInstall(ScriptedUi& ui, bool pump = true);
    ~OpenUnInstall();

    UnInstallDialog& dialog() const { return *dialog_; }
    HWND window() const { return dialog_->GetSafeHwnd(); }
    bool IsOpen() const { return window() != nullptr && IsWindow(window()); }
    HWND Control(int id) const { return GetDlgItem(window(), id); }
    bool IsShown(int id) const;
    bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    std::string Text(int id) const;

    // The steps whose "Ok!" mark shows, and whether all four controls of the warning group show.
    std::vector<int> Marks() const;
    bool WarningShown() const;
    // The texts of the controls without an id, in template order.
    std::vector<std::string> StepLabels() const;

    void PressOk() const;
    void PressEscape() const;
    void PressEnter() const;
    void CloseBox() const;
    void PumpMessages() const;

private:
    std::unique_ptr<UnInstallDialog> dialog_;
};

inline const std::vector<int> kAllSteps = {1, 2, 3, 4, 5, 6};

// Test helpers for Setup: a scripted stand-in for its message boxes, folder picker and restart
// request; a scratch world with a HotSync folder, a package folder and the doubles of unrar.dll and
// condmgr.dll; and the real dialog opened modeless in the test process.
#pragma once

#include "setup/SetupDialog.h"
#include "setup/SetupUi.h"
#include "tests/support/Dialogs.h"
#include "tests/support/Files.h"
#include "tests/support/Registry.h"

#include <windows.h>

#include <doctest/doctest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using testsupport::CurrentDirectoryScope;
using testsupport::FileExists;
using testsupport::FolderExists;
using testsupport::ReadWholeFile;
using testsupport::StoredNumber;
using testsupport::StoredText;
using testsupport::ValueCount;

// The keys an installation writes and the texts Setup shows most, as the tests expect them.
inline constexpr const char* kSettingsKey = "Software\\Orvelle\\Kestrin";
inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrin Manager";
inline constexpr const char* kComplete =
    "Installation complete! You need to restart Windows before\nthe new setting will "
    "take effect. Restart Windows now?";
inline constexpr const char* kFallback =
    "Cannot create specified directory!\nDirectory was selected by default.";

// Answers Setup's questions from a script and records what it was asked.
class ScriptedUi : public SetupUi {
public:
    struct Message {
        std::string text;
        UINT style;
        // The folder field and the progress bar as the message found them.
        std::string folderField;
        int barPosition;
    };

    int ShowMessage(HWND owner, const std::string& text, UINT style) override;
    std::optional<std::string> ChooseFolder(HWND owner, const char* title) override;
    void RequestRestart() override;

    std::vector<std::string> Texts() const;

    std::vector<Message> messages;
    std::deque<int> answers; // for questions; IDNO when the script has run out
    std::optional<std::string> folderToChoose;
    std::vector<std::string> folderTitles;
    int restartRequests = 0;
    bool visibleAtRestart = true;
    HWND owner = nullptr;
};

// A shortcut's target and working folder, read back through the shell link object.
struct ShortcutInfo {
    std::string target;
    std::string workingFolder;
    std::string arguments;
};
std::optional<ShortcutInfo> ReadShortcut(const std::string& path);

// Which double of a library a world puts in place.
enum class Double { Working, Incomplete, Missing, Real };

// The build's own package, made with the build's own unrar.dll and condmgr.dll beside the tests.
std::string RealPackage();

// A scratch world for one installation: the package folder (the current folder while the world
// lives) with data.z and unrar.dll, the HotSync folder with condmgr.dll and Palm Desktop's record
// of it, and a place for install folders. Everything Setup may write is removed at the end.
class SetupWorld {
public:
    explicit SetupWorld(Double unrar = Double::Working, Double condmgr = Double::Working);
    ~SetupWorld();
    SetupWorld(const SetupWorld&) = delete;
    SetupWorld& operator=(const SetupWorld&) = delete;

    // Puts these doubles of unrar.dll and condmgr.dll in place of the ones there.
    void PlaceDoubles(Double unrar, Double condmgr) const;
    // The package's lines after its first (see the unrar double).
    void WritePackage(const std::vector<std::string>& lines) const;
    // The standard package: the conduit, then the manager, the uninstaller and the handheld application.
    void WriteFourEntryPackage() const;
    void SetInstallCreatorResult(int result) const;
    // Calls made to the condmgr double, one a line; empty when none.
    std::string CondMgrCalls() const;

    std::string root() const { return scratch_.path(); }
    std::string hotSyncFolder() const { return scratch_ / "Palm"; }
    std::string packageFolder() const { return scratch_ / "dist"; }
    std::string Path(const std::string& name) const { return scratch_ / name; }

private:
    testsupport::ScratchFolder scratch_{"setup"};
    std::unique_ptr<CurrentDirectoryScope> inPackageFolder_;
};

// Palm Desktop's record of HotSync Manager.
void SetHotSyncPath(const std::string& program);
void SetHotSyncValue(DWORD type, const std::string& bytes);
void DeleteHotSyncKey();
// Removes what an installation writes outside the scratch world: both registry keys, the program
// group and the default install folder.
void RemoveInstallationTraces();
std::string ProgramGroup();
std::string DefaultInstallFolder();

// Setup's dialog, created from its template in the test process and driven by messages.
class OpenSetup {
public:
    explicit OpenSetup(ScriptedUi& ui);

    SetupDialog& dialog() { return *dialog_; }
    HWND window() const { return dialog_->GetSafeHwnd(); }
    bool IsOpen() const { return window() != nullptr && IsWindow(window()); }
    HWND Control(int id) const { return GetDlgItem(window(), id); }

    void TypeFolder(const std::string& text) const;
    std::string FolderText() const;
    // Presses Install, then lets the dialog handle what the installation posted.
    void Install() const;
    void Click(int id) const;
    // The close box: the Cancel command, delivered by the message loop.
    void CloseBox() const;
    void PumpMessages() const;
    int BarPosition() const;
    bool IsVisible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }

private:
    std::unique_ptr<CModeless<SetupDialog>> dialog_;
};

namespace doctest {
template <> struct StringMaker<std::vector<std::string>> {
    static String convert(const std::vector<std::string>& texts) {
        std::string joined = "{";
        for (const std::string& text : texts) {
            joined += (joined.size() > 1 ? ", \"" : "\"") + text + "\"";
        }
        return String((joined + "}").c_str());
    }
};
template <> struct StringMaker<std::optional<std::string>> {
    static String convert(const std::optional<std::string>& text) {
        return text ? String(("\"" + *text + "\"").c_str()) : String("<nothing>");
    }
};
} // namespace doctest

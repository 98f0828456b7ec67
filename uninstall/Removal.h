// The removal of an installation: six steps in a fixed order, then the entry that deletes UnInstall's
// own program file at the next start of Windows. The dialog and the silent mode run the same code.
#pragma once

#include "uninstall/UnInstallUi.h"

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

inline constexpr int kRemovalStepCount = 6;

inline constexpr const char* kLoadLibraryFailedMessage = "Error loading DLL";
inline constexpr const char* kLookupFailedMessage = "Error loading functions from DLL";

// The two install paths of the Settings store. A path that cannot be read, is empty or is not a full
// path stays empty: every step that needs it fails and touches nothing.
struct RemovalPaths {
    std::optional<std::string> hotSyncFolder;
    std::optional<std::string> installFolder;
    // An earlier run could not remove everything and kept the store for this one: an item that is
    // already gone counts as removed.
    bool finishing = false;
};

// Reads "PathToHotSync", then "PathToManager", then the mark of an unfinished removal.
RemovalPaths ReadRemovalPaths();

struct RemovalOutcome {
    RemovalPaths paths;
    // Step 1 at index 0.
    std::array<bool, kRemovalStepCount> succeeded{};
    // An installed item could not be removed (in use, protected): the Settings store and the uninstall
    // entry stayed, and UnInstall's own file was not scheduled for deletion, so that a second run
    // can remove the rest.
    bool keptForSecondRun = false;
    bool AllRemoved() const;
};

// Told after each step, with its number (1 to 6) and whether it succeeded.
using StepObserver = std::function<void(int step, bool succeeded)>;

// Reads the paths, runs the six steps in order (a failed step never stops the removal) and makes the
// self-deletion entry unless the registry entries stayed for a second run. Messages are owned by
// `owner`.
RemovalOutcome RunRemoval(UnInstallUi& ui, HWND owner, const StepObserver& observer);

// The removal without a window and without questions: messages are not shown, nothing restarts.
// The exit code: 0 when all six steps succeeded, otherwise bit (n - 1) set for each failed step n.
int RunSilentRemoval(UnInstallUi& ui);
int SilentExitCode(const RemovalOutcome& outcome);

// True when the command line's arguments (after the program name) hold /S.
bool IsSilentCommandLine(const char* commandLine);

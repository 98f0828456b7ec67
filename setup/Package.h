// Unpacking the package through unrar.dll: its first entry into the HotSync folder, every later
// entry into the install folder.
#pragma once

#include "setup/SetupOutcome.h"
#include "setup/UndoJournal.h"

#include <functional>
#include <optional>
#include <string>

namespace package {

// Why the package could not be unpacked, as the user is told it.
struct Failure {
    const char* message;
    SetupOutcome outcome;
    InstallationEnd end;
};

// Checks that layout::kPackageFileName in the current folder holds exactly the installed files,
// whole, then unpacks it, each file put in place through `journal`; `entryExtracted` is told after
// each entry. unrar.dll is loaded for the call and released before it returns.
std::optional<Failure> Extract(const std::string& hotSyncFolder, const std::string& installFolder,
                               UndoJournal& journal, const std::function<void()>& entryExtracted);

} // namespace package

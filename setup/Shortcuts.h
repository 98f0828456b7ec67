// The program group in the Start menu and its three shortcuts.
#pragma once

#include <string>

namespace shortcuts {

// Makes the program group with a missing "Orvelle" level, then the three shortcuts into
// `installFolder`. False when the group or any shortcut could not be made.
bool CreateProgramGroup(const std::string& installFolder);

} // namespace shortcuts

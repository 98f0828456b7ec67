// The program group: the current user's Start-menu programs folder + "Orvelle\Kestrin". Setup and
// UnInstall both derive it from the shell; it is never recorded.
#pragma once

#include <optional>
#include <string>

namespace install {

// The shell's programs folder (CSIDL_PROGRAMS) without a trailing backslash; nothing when the shell
// cannot name it.
std::optional<std::string> ProgramsFolder();

// ProgramsFolder() + "\Orvelle".
std::optional<std::string> ProgramGroupParentFolder();

// ProgramsFolder() + "\Orvelle\Kestrin".
std::optional<std::string> ProgramGroupFolder();

} // namespace install

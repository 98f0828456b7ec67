// Deleting a file at the next start of Windows, both ways the platform knows: the line nul=path in
// the [rename] section of "Wininit.ini", and the delete-at-restart registration (MoveFileEx).
#pragma once

#include <string>
#include <vector>

namespace install {

// The profile file that Windows reads at its start for deletions (a bare name: the Windows folder).
inline constexpr const char* kWininitFile = "Wininit.ini";

// The lines of the profile file's [rename] section as "key=value", in their order. Other programs
// put their lines there too, and a key such as "nul" may occur many times.
std::vector<std::string> ReadWininitRenames(const char* profileFile);

// Flushes the system's cached copy of the profile file, then adds the line nul=shortPath to its
// [rename] section beside the lines already there; a line that names the same file already is not
// repeated. Results are not used.
void WriteWininitDeletion(const char* profileFile, const std::string& shortPath);

// The platform's delete-at-restart registration. Its result is not used.
void RegisterDeletionAtRestart(const std::string& path);

// Takes back every deletion at the next restart that would delete the file at `path`, however the
// path is spelt there: the lines nul=... of the profile file's [rename] section and the platform's
// delete-at-restart registrations. Other lines, renames and other files' deletions stay as they are.
void CancelDeletionsAtRestart(const char* profileFile, const std::string& path);

} // namespace install

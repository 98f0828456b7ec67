// Files and folders for the tests: scratch folders, whole-file reads and writes, folder listings.
#pragma once

#include "win/FileSystem.h"
#include "win/Paths.h"

#include <optional>
#include <set>
#include <string>

namespace testsupport {

inline std::string Join(const std::string& folder, const std::string& name) {
    return win::JoinPath(folder, name);
}
// The folder of the running test program.
std::string ProgramFolder();

// Names of a folder's entries, "." and ".." left out.
std::set<std::string> Entries(const std::string& folder);
// Removes a folder with everything in it, read-only files included.
void RemoveTree(const std::string& path);

using win::FileExists;
using win::FolderExists;

bool WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);
// The same for a path with characters outside the ANSI code page.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::wstring& path);
// The file's content, or "<missing>".
std::string ReadWholeFile(const std::string& path);

// The process's current directory.
std::string CurrentDirectory();

// Changes the current directory for as long as it lives.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::string& folder);
    ~CurrentDirectoryScope();
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::string previous_;
};

// A new, empty folder, named after the label, alone in a folder of its own under the temporary
// folder; both are removed with everything in them at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& label);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return Join(path_, name); }

private:
    std::string holder_;
    std::string path_;
};

} // namespace testsupport

// Folder operations of Setup: creating a folder with its missing parents, and the rules that turn
// the folder the user typed into the install folder that is recorded everywhere.
#pragma once

#include "settings/OutgoingFolder.h"
#include "settings/Settings.h"

#include <string>
#include <utility>

namespace folders {

// True only if the path names an existing folder.
bool FolderExists(const std::string& path);

// The path cut before its last backslash or colon, whichever lies further right; the whole path
// when it has neither (C:\Program Files gives C:, D:\a\b gives D:\a).
std::string ParentFolder(const std::string& path);

// Creates the folder with every missing parent, from the top down. A failure is not reported:
// callers that care ask FolderExists.
void CreateFolderTree(std::string path);

// The text without any backslash at its end.
std::string WithoutTrailingBackslashes(std::string text);

// The folder as a full path: it begins with a drive letter, a colon and a backslash, or with two
// backslashes, and has no trailing backslash; a drive root stays "D:". A folder that cannot be
// made full is returned as it is.
std::string AbsoluteFolder(const std::string& folder);

// The folder in a form that names the same place on its own: a drive root gets its backslash back
// ("D:\"), which "D:" alone (the drive's current folder) does not.
std::string FolderForUse(const std::string& folder);

// The longest path made below the install folder: the conduit's deepest file below the Outbox,
// which is longer than every name Setup puts there ("\KestrinManager.exe").
inline constexpr size_t kLongestPathBelowInstallFolder =
    std::char_traits<char>::length(settings::kOutboxFolderName) + settings::kLongestConduitPathBelowFolder;
static_assert(kLongestPathBelowInstallFolder > 19, "longer than the installed files' names");
// Whether every path made below this folder, by Setup and by HotSync, is within the platform's limit.
bool FitsInstallLayout(const std::string& folder);

// The install folder as the user typed or chose it, in the ANSI code page that every program of the
// installation works in. `exact` is false when the name had characters the code page lacks: `text`
// then holds look-alikes or question marks and would name another folder, or none.
struct TypedFolder {
    TypedFolder(std::string ansiText) : text(std::move(ansiText)) {}
    TypedFolder(const char* ansiText) : text(ansiText) {}
    static TypedFolder FromWide(const std::wstring& folder);

    std::string text;
    bool exact = true;
};

} // namespace folders

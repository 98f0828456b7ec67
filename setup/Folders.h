// The rules of Setup that turn the folder the user typed into the install folder that is recorded
// everywhere. (Creating folders and the path rules themselves are in win/Paths.h.)
#pragma once

#include "settings/OutgoingFolder.h"
#include "settings/Settings.h"

#include <string>
#include <utility>

namespace folders {

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

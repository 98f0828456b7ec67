#include "setup/Folders.h"

#include "settings/OutgoingFolder.h"
#include "settings/Settings.h"
#include "win/FileSystem.h"
#include "win/Paths.h"

#include <windows.h>

namespace folders {

std::string AbsoluteFolder(const std::string& folder) {
    if (folder.empty() || win::IsDriveRoot(folder) || win::IsFullFolderPath(folder)) {
        return folder;
    }
    std::string full = win::WithoutTrailingBackslashes(win::FullPathName(folder));
    return win::IsFullFolderPath(full) || win::IsDriveRoot(full) ? full : folder;
}

std::string FolderForUse(const std::string& folder) {
    return win::IsDriveRoot(folder) ? folder + "\\" : folder;
}

bool FitsInstallLayout(const std::string& folder) {
    const size_t limit = MAX_PATH - 1 - kLongestPathBelowInstallFolder;
    return folder.size() <= limit && AbsoluteFolder(folder).size() <= limit;
}

TypedFolder TypedFolder::FromWide(const std::wstring& folder) {
    std::string ansi;
    bool exact = settings::ToAnsiName(folder, ansi);
    TypedFolder typed(ansi);
    typed.exact = exact;
    return typed;
}

} // namespace folders

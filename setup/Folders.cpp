#include "setup/Folders.h"

#include "settings/OutgoingFolder.h"
#include "settings/Settings.h"
#include "win/FileSystem.h"

#include <windows.h>

#include <vector>

namespace folders {

bool FolderExists(const std::string& path) {
    return win::FolderExists(path);
}

std::string ParentFolder(const std::string& path) {
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(0, cut);
}

void CreateFolderTree(std::string path) {
    if (path.empty()) {
        return;
    }
    if (path.back() == '\\') {
        path.pop_back();
    }
    if (path.size() < 3 || FolderExists(path)) {
        return;
    }
    std::string parent = ParentFolder(path);
    if (parent == path) {
        return;
    }
    CreateFolderTree(parent);
    CreateDirectoryA(path.c_str(), nullptr);
}

std::string WithoutTrailingBackslashes(std::string text) {
    while (!text.empty() && text.back() == '\\') {
        text.pop_back();
    }
    return text;
}

std::string AbsoluteFolder(const std::string& folder) {
    if (folder.empty() || settings::IsDriveRoot(folder) || settings::IsFullFolderPath(folder)) {
        return folder;
    }
    DWORD needed = GetFullPathNameA(folder.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return folder;
    }
    std::vector<char> buffer(needed + 1, '\0');
    DWORD length =
        GetFullPathNameA(folder.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) {
        return folder;
    }
    std::string full = WithoutTrailingBackslashes(std::string(buffer.data(), length));
    return settings::IsFullFolderPath(full) || settings::IsDriveRoot(full) ? full : folder;
}

std::string FolderForUse(const std::string& folder) {
    return settings::IsDriveRoot(folder) ? folder + "\\" : folder;
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

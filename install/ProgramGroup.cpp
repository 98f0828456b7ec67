#include "install/ProgramGroup.h"

#include "settings/InstalledLayout.h"
#include "win/Paths.h"

#include <windows.h>
#include <shlobj.h>

namespace install {

std::optional<std::string> ProgramsFolder() {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &list)) || !list) {
        return std::nullopt;
    }
    char path[MAX_PATH] = {};
    const bool named = SHGetPathFromIDListA(list, path) != FALSE;
    CoTaskMemFree(list);
    if (!named || path[0] == '\0') {
        return std::nullopt;
    }
    return win::WithoutTrailingBackslashes(path);
}

std::optional<std::string> ProgramGroupParentFolder() {
    auto programs = ProgramsFolder();
    if (!programs) {
        return std::nullopt;
    }
    return *programs + "\\" + layout::kGroupParentFolderName;
}

std::optional<std::string> ProgramGroupFolder() {
    auto parent = ProgramGroupParentFolder();
    if (!parent) {
        return std::nullopt;
    }
    return *parent + "\\" + layout::kGroupFolderName;
}

} // namespace install

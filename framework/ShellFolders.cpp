#include "framework/ShellFolders.h"

#include "win/Handles.h"

#include <shlobj.h>

namespace {

// The shell's item id list of the chooser's answer, freed with CoTaskMemFree.
struct ItemIdListTraits {
    using Handle = LPITEMIDLIST;
    static LPITEMIDLIST invalid() { return nullptr; }
    static void close(LPITEMIDLIST items) { CoTaskMemFree(items); }
};
using ItemIdList = win::UniqueHandle<ItemIdListTraits>;

} // namespace

std::optional<std::string> ChooseFileSystemFolder(HWND owner, const char* title) {
    char displayName[MAX_PATH] = {};
    BROWSEINFOA request = {};
    request.hwndOwner = owner;
    request.pszDisplayName = displayName;
    request.lpszTitle = title;
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    const ItemIdList chosen(SHBrowseForFolderA(&request));
    char path[MAX_PATH] = {};
    if (chosen.get() == nullptr || !SHGetPathFromIDListA(chosen.get(), path) || path[0] == '\0') {
        return std::nullopt;
    }
    return std::string(path);
}

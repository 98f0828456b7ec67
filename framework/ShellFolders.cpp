#include "framework/ShellFolders.h"

#include <shlobj.h>

#include <utility>

namespace {

// Owns the shell's item id list of the chooser's answer.
class ItemIdList {
public:
    explicit ItemIdList(LPITEMIDLIST items) : m_pidl(items) {}
    ItemIdList(ItemIdList&& other) noexcept : m_pidl(std::exchange(other.m_pidl, nullptr)) {}
    ItemIdList& operator=(ItemIdList&& other) noexcept {
        std::swap(m_pidl, other.m_pidl);
        return *this;
    }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    ~ItemIdList() {
        if (m_pidl != nullptr) {
            CoTaskMemFree(m_pidl);
        }
    }

    LPITEMIDLIST get() const { return m_pidl; }

private:
    LPITEMIDLIST m_pidl;
};

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

#include "framework/ShellFolders.h"

#include <shlobj.h>

#include <utility>

namespace {

// Owns the shell's item id list of the chooser's answer.
class ItemIdList {
public:
    explicit ItemIdList(LPITEMIDLIST items) : items_(items) {}
    ItemIdList(ItemIdList&& other) noexcept : items_(std::exchange(other.items_, nullptr)) {}
    ItemIdList& operator=(ItemIdList&& other) noexcept {
        std::swap(items_, other.items_);
        return *this;
    }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    ~ItemIdList() {
        if (items_ != nullptr) {
            CoTaskMemFree(items_);
        }
    }

    LPITEMIDLIST get() const { return items_; }

private:
    LPITEMIDLIST items_;
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

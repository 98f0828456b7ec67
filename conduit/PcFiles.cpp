#include "conduit/PcFiles.h"

#include "settings/OutgoingFolder.h"
#include "win/Handles.h"

#include <utility>

namespace {

std::wstring ToWide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    }
    wide.resize(wide.size() - 1);
    return wide;
}

// The wide-character calls reach every name, whatever the code page makes of it.
bool RemoveWideTree(const std::wstring& path) {
    WIN32_FIND_DATAW found = {};
    win::FindHandle listing(FindFirstFileW((path + L"\\*").c_str(), &found));
    if (listing) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring child = path + L"\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveWideTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(listing.get(), &found));
    }
    listing.reset();
    return RemoveDirectoryW(path.c_str()) != FALSE ||
           GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

bool PcFileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveTree(const std::string& path) {
    return RemoveWideTree(ToWide(path));
}

WorkingFolder::~WorkingFolder() {
    if (entered_) {
        SetCurrentDirectoryA(previous_.c_str());
    }
}

bool WorkingFolder::Enter(const std::optional<std::string>& folder) {
    if (entered_ || !folder || folder->empty()) {
        return false;
    }
    char previous[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryA(MAX_PATH, previous);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    if (!SetCurrentDirectoryA(folder->c_str())) {
        return false;
    }
    previous_ = previous;
    entered_ = true;
    return true;
}

bool PrivateFolder::Create() {
    Remove();
    char full[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(kName, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    RemoveLeftovers();
    if (!CreateDirectoryA(full, nullptr)) {
        return false;
    }
    path_ = full;
    return true;
}

void PrivateFolder::Remove() {
    if (!path_.empty()) {
        RemoveTree(path_);
        path_.clear();
    }
}

void RemoveLeftovers() {
    DWORD attributes = GetFileAttributesA(PrivateFolder::kName);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(PrivateFolder::kName);
    }
}

OwnedFile& OwnedFile::operator=(OwnedFile&& other) noexcept {
    Delete();
    name_ = std::exchange(other.name_, std::string());
    return *this;
}

void OwnedFile::Delete() {
    if (!name_.empty()) {
        DeleteFileA(name_.c_str());
        name_.clear();
    }
}

bool OwnedFile::MoveTo(const std::string& target, bool replaceExisting) {
    DWORD flags = replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0;
    if (name_.empty() || !MoveFileExA(name_.c_str(), target.c_str(), flags)) {
        return false;
    }
    name_ = target;
    return true;
}

std::vector<std::string> PlainFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found = {};
    win::FindHandle listing(FindFirstFileW((ToWide(folder) + L"\\*").c_str(), &found));
    if (!listing) {
        return names;
    }
    do {
        std::string name;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            settings::ToAnsiName(found.cFileName, name)) {
            names.push_back(name);
        }
    } while (FindNextFileW(listing.get(), &found));
    return names;
}

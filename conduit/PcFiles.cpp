#include "conduit/PcFiles.h"

#include "conduit/SyncSession.h"

#include "settings/OutgoingFolder.h"
#include "win/FileSystem.h"
#include "win/Handles.h"
#include "win/Paths.h"

#include <cstring>
#include <optional>
#include <utility>

namespace {

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

bool RemoveTree(const std::string& path) {
    return RemoveWideTree(win::ToWide(path));
}

namespace {

std::optional<std::string> PassFolder(const std::string& folder) {
    if (folder.empty()) {
        return std::nullopt;
    }
    const std::string full = win::FullPathName(folder);
    if (full.empty() || full.size() >= MAX_PATH) {
        return std::nullopt;
    }
    // The limit of a current directory: room for the backslash that ends it.
    const size_t bare = full.back() == '\\' ? full.size() - 1 : full.size();
    if (bare > MAX_PATH - 2 || !win::FolderExists(full)) {
        return std::nullopt;
    }
    return full;
}

bool WriteMarker(const std::string& folder) {
    std::string marker = folder + "\\" + PrivateFolder::kMarkerName;
    win::File file(
        CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD size = static_cast<DWORD>(std::strlen(PrivateFolder::kSignature));
    DWORD written = 0;
    return file && WriteFile(file.get(), PrivateFolder::kSignature, size, &written, nullptr) &&
           written == size;
}

// Makes the folder, marks it and makes its work subfolder. A folder that cannot be completed is
// removed again.
bool MakePrivateFolder(const std::string& root, const std::string& work) {
    if (!CreateDirectoryA(root.c_str(), nullptr)) {
        return false;
    }
    if (WriteMarker(root) && CreateDirectoryA(work.c_str(), nullptr)) {
        return true;
    }
    RemoveTree(root);
    return false;
}

} // namespace

namespace {

// The marker's content: the whole signature, or the beginning of it that a conduit killed while
// writing the marker left; nothing when the folder has no marker or one that reads otherwise.
std::optional<size_t> MarkerLength(const std::string& folder) {
    std::string marker = folder + "\\" + PrivateFolder::kMarkerName;
    win::File file(CreateFileA(marker.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    size_t size = std::strlen(PrivateFolder::kSignature);
    std::string content(size + 1, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr) ||
        read > size || content.compare(0, read, PrivateFolder::kSignature, read) != 0) {
        return std::nullopt;
    }
    return read;
}

bool HoldsOnlyMarker(const std::string& folder) {
    WIN32_FIND_DATAW found = {};
    win::FindHandle listing(FindFirstFileW((win::ToWide(folder) + L"\\*").c_str(), &found));
    int entries = 0;
    if (listing) {
        do {
            const std::wstring name = found.cFileName;
            entries += name == L"." || name == L".." ? 0 : 1;
        } while (FindNextFileW(listing.get(), &found));
    }
    return entries == 1;
}

// A folder that holds nothing but a marker cut short: made by a conduit killed while marking it.
bool IsHalfMarkedPrivateFolder(const std::string& folder) {
    std::optional<size_t> length = MarkerLength(folder);
    return length && *length < std::strlen(PrivateFolder::kSignature) && HoldsOnlyMarker(folder);
}

} // namespace

bool IsPrivateFolder(const std::string& folder) {
    std::optional<size_t> length = MarkerLength(folder);
    return length && *length == std::strlen(PrivateFolder::kSignature);
}

bool PrivateFolder::Create(const std::string& folder) {
    Remove();
    RemoveLeftovers(folder);
    for (int index = 0; index < settings::kWorkingFolderNames; ++index) {
        std::string full = win::JoinPath(folder, settings::WorkingFolderName(index));
        if (full.size() >= MAX_PATH) {
            return false;
        }
        // A name held by a user's file or folder is passed over.
        if (win::PathExists(full)) {
            continue;
        }
        std::string work = full + settings::kWorkSubfolder;
        if (!MakePrivateFolder(full, work)) {
            return false;
        }
        root_ = full;
        path_ = work;
        return true;
    }
    return false;
}

void PrivateFolder::Remove() {
    if (!root_.empty()) {
        RemoveTree(root_);
        root_.clear();
        path_.clear();
    }
}

void RemoveLeftovers(const std::string& folder) {
    for (int index = 0; index < settings::kWorkingFolderNames; ++index) {
        std::string name = win::JoinPath(folder, settings::WorkingFolderName(index));
        if (!win::FolderExists(name)) {
            continue;
        }
        if (IsPrivateFolder(name) || IsHalfMarkedPrivateFolder(name)) {
            RemoveTree(name);
        } else {
            // Goes only when empty: a folder made by a conduit killed before it wrote its marker.
            RemoveDirectoryA(name.c_str());
        }
    }
}

std::optional<std::string> EnterPassFolder(const std::optional<std::string>& folder, const char* refusal) {
    if (!folder) {
        return std::nullopt;
    }
    std::optional<std::string> full = PassFolder(*folder);
    if (!full) {
        LogWarning(*folder, refusal);
        return std::nullopt;
    }
    RemoveLeftovers(*full);
    return full;
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
    win::FindHandle listing(FindFirstFileW((win::ToWide(folder) + L"\\*").c_str(), &found));
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

#include "conduit/PcFiles.h"

#include <utility>

bool PcFileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

OwnedFile CreateIncomingFile() {
    char name[MAX_PATH] = {};
    if (GetTempFileNameA(".", "kst", 0, name) == 0) {
        return OwnedFile();
    }
    return OwnedFile(name);
}

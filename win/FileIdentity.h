// A file as the file system knows it, however its path is spelt: a short alias, another case or a
// hard link all give the same identity.
#pragma once

#include "win/Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <tuple>

namespace win {

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity& other) const {
        return std::tie(volume, indexHigh, indexLow) ==
               std::tie(other.volume, other.indexHigh, other.indexLow);
    }
    bool operator<(const FileIdentity& other) const {
        return std::tie(volume, indexHigh, indexLow) <
               std::tie(other.volume, other.indexHigh, other.indexLow);
    }
};

// What an identity is asked of: only a folder's opening flag opens a folder.
enum class EntryKind { File, Folder };

// Nothing when the entry cannot be opened (without access, so a running program or a file open
// elsewhere still can be).
inline std::optional<FileIdentity> IdentityOf(const std::string& path, EntryKind kind = EntryKind::File) {
    DWORD flags = kind == EntryKind::Folder ? FILE_FLAG_BACKUP_SEMANTICS : FILE_ATTRIBUTE_NORMAL;
    File entry(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, flags, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!entry || !GetFileInformationByHandle(entry.get(), &information)) {
        return std::nullopt;
    }
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                        information.nFileIndexLow};
}

// True when both paths name one and the same existing file, however spelt.
inline bool IsSameFile(const std::string& first, const std::string& second) {
    std::optional<FileIdentity> a = IdentityOf(first);
    return a && a == IdentityOf(second);
}

} // namespace win

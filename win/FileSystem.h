// What the file system holds under a path (anything, a file, or a folder), and the copies and
// deletions every program makes the same way.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// True when anything, file or folder, carries the name.
inline bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// True when attributes can be read for the path and it is not a folder.
inline bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// True only if the path names an existing folder.
inline bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A file's size from the two halves that the find and information calls give.
inline ULONGLONG SizeFromHalves(DWORD high, DWORD low) {
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

// Copies a file over any file of the target's name; false when the copy failed or when both
// paths name the same file (a copy onto itself would only risk its contents).
bool CopyReplacing(const std::string& source, const std::string& target);
// Copies a file only where no file or folder of the target's name exists yet.
bool CopyWithoutReplacing(const std::string& source, const std::string& target);
// True when a new file can be made in the folder: it exists and the user may write into it. Tries
// with a file of a name of its own, which is gone again at once.
bool CanCreateFileIn(const std::string& folder);
// Deletes a file, read-only or not. True when the file is gone: deleted now or already missing.
bool DeleteFileIfPresent(const std::string& path);

} // namespace win

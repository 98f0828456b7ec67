#include "win/Paths.h"

#include "win/FileIdentity.h"
#include "win/FileSystem.h"

namespace win {

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string ToAnsi(const std::wstring& text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

namespace {

// Each character on its own, by the invariant table: no language's rule joins or splits letters.
std::wstring Upper(std::wstring text) {
    if (!text.empty()) {
        const int length = static_cast<int>(text.size());
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), length, text.data(), length);
    }
    return text;
}

} // namespace

bool SameName(const std::wstring& first, const std::wstring& second) {
    return first.size() == second.size() && Upper(first) == Upper(second);
}

bool SameName(const std::string& first, const std::string& second) {
    return first == second || SameName(ToWide(first), ToWide(second));
}

std::string WithoutTrailingBackslashes(std::string text) {
    while (!text.empty() && text.back() == '\\') {
        text.pop_back();
    }
    return text;
}

std::string LastComponentOf(const std::string& path) {
    size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string ParentFolder(const std::string& path) {
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(0, cut);
}

std::wstring ParentFolder(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? path : path.substr(0, cut);
}

bool CreateFolderTree(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    if (path.empty()) {
        return false;
    }
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    // A bare name is never made in the current folder; "C:" and "\\server" end the climb.
    std::wstring parent = ParentFolder(path);
    if (parent == path) {
        return false;
    }
    if (parent.size() >= 3) {
        CreateFolderTree(parent);
    }
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CreateFolderTree(const std::string& folder) {
    return CreateFolderTree(ToWide(folder));
}

namespace {

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool IsFullFolderPath(const std::string& folder) {
    if (folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\') {
        return true;
    }
    return folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == ':' && folder[2] == '\\';
}

bool IsDriveRoot(const std::string& folder) {
    return folder.size() == 2 && IsDriveLetter(folder[0]) && folder[1] == ':';
}

bool IsFullPath(const std::string& path) {
    if (IsDriveRoot(path)) {
        return true;
    }
    // Two backslashes must start a server name, not a device path (\\.\ or \\?\).
    const bool networkPath = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    const bool serverNamed = path.size() >= 3 && path[2] != '\\' && path[2] != '.' && path[2] != '?';
    return IsFullFolderPath(path) && (!networkPath || serverNamed);
}

std::wstring FullPathName(const std::wstring& path) {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring full(size, L'\0');
    DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size) {
        return {};
    }
    full.resize(written);
    return full;
}

std::string FullPathName(const std::string& path) {
    return ToAnsi(FullPathName(ToWide(path)));
}

namespace {

// The full long path without a trailing backslash; empty when it is too long to compare.
std::string ComparablePath(const std::string& path) {
    std::string full = FullPathName(path);
    if (full.size() >= MAX_PATH) {
        return std::string();
    }
    char longPath[MAX_PATH] = {};
    DWORD length = GetLongPathNameA(full.c_str(), longPath, sizeof(longPath));
    if (length > 0 && length < sizeof(longPath)) {
        full.assign(longPath, length);
    }
    return WithoutTrailingBackslashes(full);
}

} // namespace

bool IsSameFolder(const std::string& first, const std::string& second) {
    if (FolderExists(first) && FolderExists(second)) {
        std::optional<FileIdentity> a = IdentityOf(first, EntryKind::Folder);
        std::optional<FileIdentity> b = IdentityOf(second, EntryKind::Folder);
        if (a && b) {
            return *a == *b;
        }
    }
    std::string comparable = ComparablePath(first);
    return !comparable.empty() && SameName(comparable, ComparablePath(second));
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    if (folder.back() == '\\') {
        return folder + name;
    }
    return folder + "\\" + name;
}

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':';
}

// "C:" of a folder on a drive, "\\server\share" of a folder on a share.
std::string RootOf(const std::string& folder) {
    if (HasDrive(folder)) {
        return folder.substr(0, 2);
    }
    if (folder.size() > 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        size_t server = folder.find_first_of("\\/", 2);
        size_t share = server == std::string::npos ? server : folder.find_first_of("\\/", server + 1);
        return folder.substr(0, share);
    }
    return std::string();
}

} // namespace

std::string FullPathFrom(const std::string& baseFolder, const std::string& path) {
    if (path.empty() || IsFullFolderPath(path)) {
        return path;
    }
    std::string anchored = path;
    if (HasDrive(path)) {
        // "C:name" is relative to that drive's current folder: the base folder when it is on it.
        // "C:/name" is full once its slashes are turned.
        bool driveRelative = path.size() < 3 || !IsSeparator(path[2]);
        if (driveRelative && HasDrive(baseFolder) && SameName(path.substr(0, 1), baseFolder.substr(0, 1))) {
            anchored = JoinPath(baseFolder, path.substr(2));
        }
    } else if (IsSeparator(path[0])) {
        anchored = RootOf(baseFolder) + path;
    } else {
        anchored = JoinPath(baseFolder, path);
    }
    std::string full = FullPathName(anchored);
    return full.size() < MAX_PATH && IsFullFolderPath(full) ? full : std::string();
}

} // namespace win

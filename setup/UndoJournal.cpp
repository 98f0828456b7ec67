#include "setup/UndoJournal.h"

#include "win/FileSystem.h"
#include "win/Handles.h"
#include "win/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// A value as the registry holds it, read and written through the wide calls so that the bytes come
// back exactly, whatever their type says.
struct RawValue {
    std::wstring name;
    DWORD type;
    std::string data;
};

struct KeyValues {
    std::vector<RawValue> values;
    // Every value was read: any other value found later was added since.
    bool complete = false;
};

win::RegKey OpenWideKey(HKEY root, const std::wstring& path, REGSAM access) {
    win::RegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, access, key.receive()) != ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

KeyValues ReadValues(HKEY key) {
    KeyValues read;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return read;
    }
    for (DWORD index = 0; index < count; ++index) {
        std::wstring name(longestName + 1, L'\0');
        std::string data(longestData + 1, '\0');
        DWORD nameLength = longestName + 1;
        DWORD dataSize = longestData + 1;
        RawValue value{};
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &value.type,
                          reinterpret_cast<BYTE*>(data.data()), &dataSize) != ERROR_SUCCESS) {
            return read;
        }
        value.name = name.substr(0, nameLength);
        value.data = data.substr(0, dataSize);
        read.values.push_back(std::move(value));
    }
    read.complete = true;
    return read;
}

bool Holds(const KeyValues& read, const std::wstring& name) {
    return std::any_of(read.values.begin(), read.values.end(),
                       [&](const RawValue& value) { return win::SameName(value.name, name); });
}

// Values added since `before` was read are deleted (only when every earlier value is known), and
// every earlier value gets its earlier type and bytes back.
void RestoreValues(HKEY root, const std::wstring& path, const KeyValues& before) {
    win::RegKey key = OpenWideKey(root, path, KEY_READ | KEY_WRITE);
    if (!key) {
        return;
    }
    if (before.complete) {
        for (const RawValue& now : ReadValues(key.get()).values) {
            if (!Holds(before, now.name)) {
                RegDeleteValueW(key.get(), now.name.c_str());
            }
        }
    }
    for (const RawValue& value : before.values) {
        RegSetValueExW(key.get(), value.name.c_str(), 0, value.type,
                       reinterpret_cast<const BYTE*>(value.data.data()),
                       static_cast<DWORD>(value.data.size()));
    }
}

// Only a key that is surely absent counts as missing: one that cannot be opened for another reason
// exists, and is never deleted.
bool KeyMissing(HKEY root, const std::wstring& path) {
    win::RegKey key;
    LONG result = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.receive());
    if (result != ERROR_SUCCESS) {
        key.release();
    }
    return result == ERROR_FILE_NOT_FOUND;
}

std::wstring ParentKey(const std::wstring& path) {
    size_t cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

// A second name for the same file keeps it exactly as it is, whatever happens to the first; a file
// system without such names gets a copy.
std::optional<std::string> KeepUnderWorkingName(const std::string& target) {
    std::optional<std::string> kept = ReserveWorkingFile(win::ParentFolder(target));
    if (!kept) {
        return std::nullopt;
    }
    DeleteFileA(kept->c_str());
    if (!CreateHardLinkA(kept->c_str(), target.c_str(), nullptr) &&
        !CopyFileA(target.c_str(), kept->c_str(), TRUE)) {
        DeleteFileA(kept->c_str());
        return std::nullopt;
    }
    return kept;
}

// A path in the folder as it names a place on its own: "D:" alone is the drive's current folder.
std::string InFolder(const std::string& folder, const std::string& name) {
    return win::JoinPath(win::IsDriveRoot(folder) ? folder + "\\" : folder, name);
}

bool IsWorkingFileName(const std::string& name) {
    const size_t prefix = strlen(kSetupWorkingFilePrefix);
    const size_t suffix = strlen(kSetupWorkingFileSuffix);
    return name.size() > prefix + suffix && _strnicmp(name.c_str(), kSetupWorkingFilePrefix, prefix) == 0 &&
           _stricmp(name.c_str() + name.size() - suffix, kSetupWorkingFileSuffix) == 0;
}

} // namespace

std::optional<std::string> ReserveWorkingFile(const std::string& folder) {
    static unsigned int sequence = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[64] = {};
        snprintf(name, sizeof(name), "%s%lX-%u%s", kSetupWorkingFilePrefix, GetCurrentProcessId(), ++sequence,
                 kSetupWorkingFileSuffix);
        const std::string path = InFolder(folder, name);
        win::File file(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return path;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void RemoveWorkingFiles(const std::string& folder) {
    const std::string pattern = std::string(kSetupWorkingFilePrefix) + "*" + kSetupWorkingFileSuffix;
    WIN32_FIND_DATAA found = {};
    win::FindHandle listing(FindFirstFileA(InFolder(folder, pattern).c_str(), &found));
    if (!listing) {
        return;
    }
    do {
        // The pattern also matches short names; only the long name counts.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsWorkingFileName(found.cFileName)) {
            DeleteFileA(InFolder(folder, found.cFileName).c_str());
        }
    } while (FindNextFileA(listing.get(), &found));
}

void UndoJournal::MakeFolderTree(const std::string& folder) {
    // The levels that are missing, deepest first, as win::CreateFolderTree climbs them.
    std::vector<std::string> missing;
    for (std::string level = win::WithoutTrailingBackslashes(folder);
         level.size() >= 3 && !win::PathExists(level) && win::ParentFolder(level) != level;
         level = win::ParentFolder(level)) {
        missing.push_back(level);
    }
    win::CreateFolderTree(folder);
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        if (win::FolderExists(*level)) {
            // A folder that holds anything by then is not removed.
            undo_.push_back([path = *level] { RemoveDirectoryA(path.c_str()); });
        }
    }
}

void UndoJournal::RecordKey(HKEY root, const std::string& path) {
    const std::wstring wide = win::ToWide(path);
    std::vector<std::wstring> missing;
    for (std::wstring level = wide; !level.empty() && KeyMissing(root, level); level = ParentKey(level)) {
        missing.push_back(level);
    }
    if (!missing.empty()) {
        // Keys made by this run hold only what it wrote; a key that has gained a subkey stays.
        undo_.push_back([root, missing] {
            for (const std::wstring& level : missing) {
                RegDeleteKeyW(root, level.c_str());
            }
        });
        return;
    }
    win::RegKey key = OpenWideKey(root, wide, KEY_READ);
    undo_.push_back([root, wide, before = ReadValues(key.get())] { RestoreValues(root, wide, before); });
}

bool UndoJournal::PutInPlace(const std::string& whole, const std::string& target) {
    // Windows never replaces a read-only file; a second name for it could not be deleted either.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    std::optional<std::string> kept;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(kept = KeepUnderWorkingName(target))) {
        return false;
    }
    if (!MoveFileExA(whole.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (kept) {
            DeleteFileA(kept->c_str());
        }
        return false;
    }
    if (kept) {
        replacedFiles_.push_back(*kept);
        undo_.push_back([target, kept = *kept] {
            MoveFileExA(kept.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        });
    } else {
        undo_.push_back([target] { DeleteFileA(target.c_str()); });
    }
    return true;
}

void UndoJournal::Commit() {
    for (const std::string& kept : replacedFiles_) {
        DeleteFileA(kept.c_str());
    }
    replacedFiles_.clear();
    undo_.clear();
}

void UndoJournal::RollBack() {
    for (auto step = undo_.rbegin(); step != undo_.rend(); ++step) {
        (*step)();
    }
    undo_.clear();
    replacedFiles_.clear();
}

#include "install/RestartDeletion.h"

#include "settings/Settings.h"
#include "win/FileIdentity.h"
#include "win/Paths.h"

#include <windows.h>

#include <cstring>

namespace install {
namespace {

constexpr const char* kRenameSection = "rename";
constexpr const char* kDeletionKey = "nul=";
constexpr const char* kSessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingOperationsValue = "PendingFileRenameOperations";
// The registrations name files by their NT paths.
constexpr const char* kNtPathPrefix = "\\??\\";

// Replaces the whole section: the profile calls keep repeated keys only when a section is written
// as one block.
void WriteWininitRenames(const char* profileFile, const std::vector<std::string>& lines) {
    std::string block;
    for (const std::string& line : lines) {
        block += line;
        block += '\0';
    }
    block += '\0';
    WritePrivateProfileSectionA(kRenameSection, block.c_str(), profileFile);
}

bool NamesFile(const std::string& candidate, const win::FileIdentity& file) {
    std::optional<win::FileIdentity> named = win::IdentityOf(candidate);
    return named && *named == file;
}

void CancelWininitDeletions(const char* profileFile, const win::FileIdentity& file) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, profileFile);
    std::vector<std::string> lines = ReadWininitRenames(profileFile);
    std::vector<std::string> kept;
    const size_t keyLength = std::strlen(kDeletionKey);
    for (const std::string& line : lines) {
        bool deletion = line.size() > keyLength && win::SameName(line.substr(0, keyLength), kDeletionKey);
        if (!deletion || !NamesFile(line.substr(keyLength), file)) {
            kept.push_back(line);
        }
    }
    if (kept.size() != lines.size()) {
        WriteWininitRenames(profileFile, kept);
    }
}

// The value is a list of pairs, source then target; an empty target means deletion.
std::vector<std::string> SplitPairs(const std::string& bytes) {
    std::vector<std::string> strings;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        strings.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::string> pairs;
    for (size_t index = 0; index + 1 < strings.size() && !strings[index].empty(); index += 2) {
        pairs.push_back(strings[index]);
        pairs.push_back(strings[index + 1]);
    }
    return pairs;
}

void CancelRegisteredDeletions(const win::FileIdentity& file) {
    win::RegKey key = settings::OpenKey(HKEY_LOCAL_MACHINE, kSessionManagerKey);
    DWORD type = 0;
    DWORD size = 0;
    if (!key ||
        RegQueryValueExA(key.get(), kPendingOperationsValue, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return;
    }
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key.get(), kPendingOperationsValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS) {
        return;
    }
    bytes.resize(size);
    std::vector<std::string> pairs = SplitPairs(bytes);
    std::string kept;
    bool cancelled = false;
    for (size_t index = 0; index < pairs.size(); index += 2) {
        const std::string& source = pairs[index];
        std::string path = source.rfind(kNtPathPrefix, 0) == 0 ? source.substr(4) : source;
        if (pairs[index + 1].empty() && NamesFile(path, file)) {
            cancelled = true;
            continue;
        }
        kept += source + '\0' + pairs[index + 1] + '\0';
    }
    if (!cancelled) {
        return;
    }
    if (kept.empty()) {
        RegDeleteValueA(key.get(), kPendingOperationsValue);
        return;
    }
    kept += '\0';
    RegSetValueExA(key.get(), kPendingOperationsValue, 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(kept.data()), static_cast<DWORD>(kept.size()));
}

} // namespace

std::vector<std::string> ReadWininitRenames(const char* profileFile) {
    std::string buffer(4096, '\0');
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileSectionA(kRenameSection, buffer.data(), static_cast<DWORD>(buffer.size()),
                                           profileFile);
        // A section that does not fit is cut, and the length says so: size - 2.
        if (length + 2 < buffer.size() || buffer.size() >= 1024 * 1024) {
            break;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
    std::vector<std::string> lines;
    for (size_t start = 0; start < length;) {
        size_t end = buffer.find('\0', start);
        if (end == std::string::npos || end > length) {
            end = length;
        }
        if (end > start) {
            lines.push_back(buffer.substr(start, end - start));
        }
        start = end + 1;
    }
    return lines;
}

void WriteWininitDeletion(const char* profileFile, const std::string& shortPath) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, profileFile);
    std::vector<std::string> lines = ReadWininitRenames(profileFile);
    const std::string deletion = kDeletionKey + shortPath;
    for (const std::string& line : lines) {
        if (win::SameName(line, deletion)) {
            return;
        }
    }
    lines.push_back(deletion);
    WriteWininitRenames(profileFile, lines);
}

void RegisterDeletionAtRestart(const std::string& path) {
    MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void CancelDeletionsAtRestart(const char* profileFile, const std::string& path) {
    std::optional<win::FileIdentity> file = win::IdentityOf(path);
    if (!file) {
        return;
    }
    CancelWininitDeletions(profileFile, *file);
    CancelRegisteredDeletions(*file);
}

} // namespace install

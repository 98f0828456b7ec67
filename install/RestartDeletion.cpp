#include "install/RestartDeletion.h"

#include <windows.h>

namespace install {
namespace {

constexpr const char* kRenameSection = "rename";
constexpr const char* kDeletionKey = "nul=";

bool SameText(const std::string& left, const std::string& right) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, left.c_str(), -1, right.c_str(), -1) ==
           CSTR_EQUAL;
}

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
        if (SameText(line, deletion)) {
            return;
        }
    }
    lines.push_back(deletion);
    WriteWininitRenames(profileFile, lines);
}

void RegisterDeletionAtRestart(const std::string& path) {
    MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace install

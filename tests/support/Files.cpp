#include "tests/support/Files.h"

#include "win/Handles.h"

#include <windows.h>

#include <cstdio>

namespace testsupport {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path);
    return program.substr(0, program.rfind('\\'));
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA entry = {};
    win::FindHandle find(FindFirstFileA(Join(folder, "*").c_str(), &entry));
    if (!find) {
        return names;
    }
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") {
            names.insert(name);
        }
    } while (FindNextFileA(find.get(), &entry));
    return names;
}

void RemoveTree(const std::string& path) {
    for (const std::string& name : Entries(path)) {
        std::string child = Join(path, name);
        DWORD attributes = GetFileAttributesA(child.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            RemoveTree(child);
        } else {
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(child.c_str());
        }
    }
    RemoveDirectoryA(path.c_str());
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    return WriteBytes(win::ToWide(path), bytes);
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) {
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::optional<std::string> ReadBytes(const std::string& path) {
    return ReadBytes(win::ToWide(path));
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        bytes.append(buffer, read);
    }
    std::fclose(file);
    return bytes;
}

ScratchFolder::ScratchFolder(const std::string& label) {
    static unsigned counter = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    // A valid 8.3 name is its own short name. Wine's short names of long names are hashes that
    // collide, and the temporary folder fills with other programs' folders: a path through a long
    // name there could have a short form that leads into another folder.
    char holder[9] = {};
    std::snprintf(holder, sizeof(holder), "%04X%04X", static_cast<unsigned>(GetCurrentProcessId() & 0xFFFF),
                  ++counter & 0xFFFF);
    holder_ = Join(temp, holder);
    RemoveTree(holder_);
    CreateDirectoryA(holder_.c_str(), nullptr);
    path_ = Join(holder_, "kestrin-" + label);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(holder_);
}

std::string ReadWholeFile(const std::string& path) {
    return ReadBytes(path).value_or("<missing>");
}

std::string CurrentDirectory() {
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(current), current);
    return current;
}

CurrentDirectoryScope::CurrentDirectoryScope(const std::string& folder) : previous_(CurrentDirectory()) {
    SetCurrentDirectoryA(folder.c_str());
}

CurrentDirectoryScope::~CurrentDirectoryScope() {
    SetCurrentDirectoryA(previous_.c_str());
}

} // namespace testsupport

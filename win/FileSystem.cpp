#include "win/FileSystem.h"

#include "win/FileIdentity.h"
#include "win/Handles.h"
#include "win/Paths.h"

namespace win {

bool CopyReplacing(const std::string& source, const std::string& target) {
    if (IsSameFile(source, target)) {
        return false;
    }
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != FALSE;
}

bool CopyWithoutReplacing(const std::string& source, const std::string& target) {
    return CopyFileA(source.c_str(), target.c_str(), TRUE) != FALSE;
}

namespace {

// "~KestrinManager" for KestrinManager.exe: the probe names the program that made it.
std::string ProbeStem() {
    char module[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof(module));
    std::string name = LastComponentOf(std::string(module, length < sizeof(module) ? length : 0));
    return "~" + name.substr(0, name.rfind('.'));
}

} // namespace

bool CanCreateFileIn(const std::string& folder) {
    const std::string stem = JoinPath(folder, ProbeStem() + std::to_string(GetCurrentProcessId()) + "-");
    for (int attempt = 0; attempt < 10; ++attempt) {
        // Deleted by the platform when the handle closes.
        File probe(CreateFileA((stem + std::to_string(attempt) + ".tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (probe) {
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

bool DeleteFileIfPresent(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    return DeleteFileA(path.c_str()) != FALSE;
}

} // namespace win

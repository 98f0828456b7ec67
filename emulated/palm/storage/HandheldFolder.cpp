#include "emulated/palm/storage/HandheldFolder.h"

#include "emulated/palm/storage/DatabaseNames.h"
#include "emulated/palm/storage/FileIo.h"

#include <algorithm>

namespace palm {
namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    return lstrcmpiA(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

template <class Visit> void ForEachFile(const std::string& folder, Visit visit) {
    WIN32_FIND_DATAA found;
    win::FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            visit(std::string(found.cFileName));
        }
    } while (FindNextFileA(find.get(), &found));
}

} // namespace

HandheldFolder::HandheldFolder(std::string folder) : folder_(std::move(folder)) {
    while (folder_.size() > 1 && (folder_.back() == '\\' || folder_.back() == '/')) {
        folder_.pop_back();
    }
}

std::string HandheldFolder::PathOf(const std::string& name) const {
    return folder_ + "\\" + DatabaseFileName(name);
}

// Side and temporary files live in a subfolder: creating a new name in a folder of thousands of
// databases costs Wine a scan of the whole folder.
std::string HandheldFolder::WorkStemOf(const std::string& name) const {
    return folder_ + "\\" + kWorkFolder + "\\" + DatabaseFileName(name);
}

bool HandheldFolder::Exists(const std::string& name) const {
    return IsValidDatabaseName(name) && PathExists(PathOf(name));
}

Status HandheldFolder::Open(const std::string& name, std::unique_ptr<Database>& out) const {
    if (!IsValidDatabaseName(name)) {
        return Status::NotFound;
    }
    std::unique_ptr<Database> database;
    Status status = Database::Open(PathOf(name), database, WorkStemOf(name));
    if (status != Status::Ok) {
        return status;
    }
    if (database->Header().name != name) {
        return Status::Unreadable;
    }
    out = std::move(database);
    return Status::Ok;
}

Status HandheldFolder::Create(const DatabaseHeader& header, std::unique_ptr<Database>& out) const {
    if (!IsValidDatabaseName(header.name)) {
        return Status::BadArgument;
    }
    return Database::Create(PathOf(header.name), WorkStemOf(header.name), header, out);
}

Status HandheldFolder::Delete(const std::string& name) const {
    if (!IsValidDatabaseName(name)) {
        return Status::NotFound;
    }
    std::string path = PathOf(name);
    if (!DeleteFileA(path.c_str())) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Status::NotFound
                                                                              : Status::IoError;
    }
    return Status::Ok;
}

std::vector<std::string> HandheldFolder::DatabaseNames() const {
    std::vector<std::string> names;
    ForEachFile(folder_, [&](const std::string& fileName) {
        std::string name;
        if (DatabaseNameFromFileName(fileName, name)) {
            names.push_back(name);
        }
    });
    std::sort(names.begin(), names.end());
    return names;
}

void HandheldFolder::RemoveLeftovers() const {
    std::string workFolder = folder_ + "\\" + kWorkFolder;
    ForEachFile(workFolder, [&](const std::string& fileName) {
        if (EndsWith(fileName, ".pdb.new") || EndsWith(fileName, ".pdb.tmp")) {
            DeleteFileA((workFolder + "\\" + fileName).c_str());
        }
    });
}

bool CreateFolderPath(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    size_t separator = folder.find_last_of("\\/");
    if (separator != std::string::npos && separator > 0 && folder[separator - 1] != ':') {
        CreateFolderPath(folder.substr(0, separator));
    }
    return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace palm

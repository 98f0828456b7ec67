// A handheld's card 0 kept as a folder: one .pdb file per database, found by name.
#pragma once

#include "emulated/palm/storage/Database.h"

#include <memory>
#include <string>
#include <vector>

namespace palm {

// Holds the side and temporary files of databases being written.
constexpr const char* kWorkFolder = "~work";

class HandheldFolder {
public:
    explicit HandheldFolder(std::string folder);

    const std::string& Folder() const { return folder_; }
    std::string PathOf(const std::string& name) const;
    bool Exists(const std::string& name) const;

    // NotFound when there is no database of that name; Unreadable when its file is malformed or
    // holds another name.
    Status Open(const std::string& name, std::unique_ptr<Database>& out) const;
    // The new, empty database is open afterwards.
    Status Create(const DatabaseHeader& header, std::unique_ptr<Database>& out) const;
    // Removes the database's file, readable or not.
    Status Delete(const std::string& name) const;
    // Names of all database files, sorted.
    std::vector<std::string> DatabaseNames() const;
    // Removes side and temporary files left by a process that ended with a database open.
    void RemoveLeftovers() const;

private:
    std::string WorkStemOf(const std::string& name) const;

    std::string folder_;
};

// Creates the folder and any missing parents.
bool CreateFolderPath(const std::string& folder);

} // namespace palm

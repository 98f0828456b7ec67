// The PC side of a transfer: the folder a pass works in, and files that must not outlive a failure.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// True when attributes can be read for the path and it is not a folder.
bool PcFileExists(const std::string& path);
// True when anything, file or folder, carries the name.
bool PathExists(const std::string& path);

// Makes a pass's folder the current directory and restores the previous one when it ends.
class WorkingFolder {
public:
    WorkingFolder() = default;
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    ~WorkingFolder();

    // False, with the current directory unchanged, when the folder is missing or cannot be entered,
    // or when the current directory could not be remembered.
    bool Enter(const std::optional<std::string>& folder);

private:
    std::string previous_;
    bool entered_ = false;
};

// A file of the current directory that is deleted when this owner ends, unless it was kept.
class OwnedFile {
public:
    OwnedFile() = default;
    explicit OwnedFile(std::string name) : name_(std::move(name)) {}
    OwnedFile(OwnedFile&& other) noexcept : name_(std::move(other.name_)) { other.name_.clear(); }
    OwnedFile& operator=(OwnedFile&& other) noexcept;
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    ~OwnedFile() { Delete(); }

    const std::string& name() const { return name_; }
    explicit operator bool() const { return !name_.empty(); }

    void Delete();
    // The file stays when this owner ends.
    void Keep() { name_.clear(); }
    // Gives the file a new name, replacing an existing file of that name only when asked to.
    bool MoveTo(const std::string& target, bool replaceExisting);

private:
    std::string name_;
};

// Creates an empty file with a name of its own in the current directory, for bytes that are still
// arriving.
OwnedFile CreateIncomingFile();

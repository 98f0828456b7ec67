// The PC side of a transfer: the folder a pass works in, the conduit's private working folder, and
// files that must not outlive a failure.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// True when attributes can be read for the path and it is not a folder.
bool PcFileExists(const std::string& path);
// True when anything, file or folder, carries the name.
bool PathExists(const std::string& path);

// Removes a folder with everything in it, read-only files included; true when it is gone.
bool RemoveTree(const std::string& path);

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

// The conduit's private folder inside the current directory, "~KestrinConduit.tmp". Whatever the
// conduit writes before it is whole — a received file, an archive, an expansion — lives there, so
// the leftovers of an interrupted HotSync are known to be the conduit's own: the next pass in that
// folder removes them. The folder is removed when its owner ends.
class PrivateFolder {
public:
    static constexpr const char* kName = "~KestrinConduit.tmp";

    PrivateFolder() = default;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    ~PrivateFolder() { Remove(); }

    // Makes the folder in the current directory; false when it cannot be made (a file of that name,
    // say).
    bool Create();
    // The full path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }
    void Remove();

private:
    std::string path_;
};

// Removes the private folder an interrupted conduit left in the current directory.
void RemoveLeftovers();

// A file that is deleted when this owner ends, unless it was kept.
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

// The plain files of a folder whose names survive the ANSI code page, by their ANSI names; folders
// and other names are left out.
std::vector<std::string> PlainFilesIn(const std::string& folder);

// The PC side of a transfer: the folder a pass works in, the conduit's private working folder, and
// files that must not outlive a failure.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Removes a folder with everything in it, read-only files included; true when it is gone.
bool RemoveTree(const std::string& path);

// The folder a pass works in, as the full path every name of the pass is joined to, cleared of the
// leftovers of an interrupted HotSync (RemoveLeftovers); nothing when it is not given, is no existing
// folder, or is too long to hold a file name. A folder that is given but cannot be entered is logged
// with `refusal`.
std::optional<std::string> EnterPassFolder(const std::optional<std::string>& folder, const char* refusal);

// The conduit's private folder inside a pass's folder. Whatever the conduit writes before it
// is whole — a received file, an archive, an expansion — lives there, so the leftovers of an
// interrupted HotSync are known to be the conduit's own: the next pass in that folder removes them.
// The folder takes the first free working-folder name (settings::WorkingFolderName) and holds the
// marker file, written first thing, beside the subfolder "work" in which everything else happens;
// only a folder with the marker, or an empty one, is ever taken for a leftover. The folder is
// removed when its owner ends.
class PrivateFolder {
public:
    static constexpr const char* kMarkerName = "~KestrinConduit.sig";
    static constexpr const char* kSignature =
        "Kestrin conduit working folder {6F1C2A9E-3B7D-4E58-9A41-0C5D8B2E7F13}";

    PrivateFolder() = default;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    ~PrivateFolder() { Remove(); }

    // Makes the folder inside `folder`; false when every working-folder name is taken by something
    // not the conduit's, or the folder cannot be made.
    bool Create(const std::string& folder);
    // The full path of a name inside the work subfolder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    // The work subfolder.
    const std::string& path() const { return path_; }
    void Remove();

private:
    std::string root_;
    std::string path_;
};

// Whether a folder holds the marker of the conduit's private folder.
bool IsPrivateFolder(const std::string& folder);

// Removes the private folders an interrupted conduit left in `folder`: those with the marker,
// whatever they hold, and ones of a working-folder name that are empty or hold only a marker cut
// short. Anything else is a user's.
void RemoveLeftovers(const std::string& folder);

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

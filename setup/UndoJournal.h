// What one installation changed on the PC, recorded as it goes, so that an installation that ends in
// failure can leave the PC as it found it: folders it made, registry keys and values it wrote, files
// it put in place. Nothing that existed before the run is ever deleted; what it replaced is put back.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Files that Setup alone names so, in the folders it writes into: entries being extracted and the
// files they replace, kept until the run ends. Any other name is never Setup's working file.
inline constexpr const char* kSetupWorkingFilePrefix = "~KestrinSetup";
inline constexpr const char* kSetupWorkingFileSuffix = ".tmp";

// Creates an empty file of a new working-file name in `folder` and returns its path; nothing when
// no such file could be made.
std::optional<std::string> ReserveWorkingFile(const std::string& folder);
// Deletes the working files that a Setup stopped midway (killed, or the PC switched off) left in
// `folder`. Files of any other name, and folders, stay.
void RemoveWorkingFiles(const std::string& folder);

class UndoJournal {
public:
    UndoJournal() = default;
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    // Creates the folder with its missing parents, and records each level that it made.
    void MakeFolderTree(const std::string& folder);
    // Records the key as it stands before the run writes into it: which levels of its path exist, and
    // every value it holds.
    void RecordKey(HKEY root, const std::string& path);
    // Moves the whole file `whole` over `target`. A file that was at `target` is kept under a working
    // name until the run ends. False, with `target` as it was, when either could not be done.
    bool PutInPlace(const std::string& whole, const std::string& target);

    // The run finished: the replaced files are let go and nothing is taken back.
    void Commit();
    // The run failed: everything recorded is taken back, newest first.
    void RollBack();

private:
    std::vector<std::function<void()>> undo_;
    std::vector<std::string> replacedFiles_;
};

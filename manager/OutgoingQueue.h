// The files queued for the handheld: the outgoing folder's files that the conduit will send, with
// their sizes and dates. Adding copies a file in, removing deletes it, and when the outgoing folder
// changes the queued files move into the new one. Knows nothing of how they are shown.
#pragma once

#include "settings/OutgoingFolder.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class OutgoingQueue {
public:
    struct File {
        std::string name;
        std::uint64_t size = 0;
        FILETIME lastWriteTime = {};
    };

    // What became of a file to be added.
    enum class Outcome {
        Added,
        ReservedName,
        // A file of that name, in any letter case, is queued already.
        AlreadyQueued,
        // The conduit would not send it; the addition's verdict says why.
        HeldBack,
        NotCopied,
        // The outgoing folder is missing or takes no new file at all.
        FolderTakesNoFile,
    };
    struct Addition {
        Outcome outcome;
        std::string name;
        settings::OutgoingVerdict verdict = settings::OutgoingVerdict::Send;
    };

    OutgoingQueue() = default;
    // Reads the folder: every file the conduit will send, in the file system's order. An empty
    // folder path queues nothing.
    explicit OutgoingQueue(std::string folder);

    const std::string& folder() const { return folder_; }
    const std::vector<File>& files() const { return files_; }
    bool IsQueued(const std::string& name) const;

    // Copies the file into the outgoing folder, over any unqueued file of its name, and queues it
    // at the end. A file chosen from the outgoing folder itself is queued without a copy.
    Addition Add(const std::string& path);
    // Deletes the queued file of exactly that name. False, with the file still queued, when it
    // could not be deleted; a file already gone counts as deleted.
    bool Remove(const std::string& name);
    // Moves every queued file into another folder, never over an entry of its name there. The
    // names that stayed, for such an entry or a failed copy; nothing moves when both paths name
    // one folder.
    std::vector<std::string> MoveInto(const std::string& newFolder) const;

private:
    // The addition that refuses a file by its name alone, or Added when the name may be queued.
    Addition JudgeName(const std::string& name) const;

    std::string folder_;
    std::vector<File> files_;
};

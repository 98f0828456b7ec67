#include "manager/OutgoingQueue.h"

#include "win/FileIdentity.h"
#include "win/FileSystem.h"
#include "win/Handles.h"
#include "win/Paths.h"

#include <algorithm>
#include <utility>

using settings::OutgoingVerdict;

OutgoingQueue::OutgoingQueue(std::string folder) : folder_(std::move(folder)) {
    if (folder_.empty()) {
        return;
    }
    // Exactly what the conduit will send: what it passes over is not queued.
    for (const settings::OutgoingEntry& entry : settings::ListOutgoingFolder(folder_)) {
        if (entry.ToSend()) {
            files_.push_back({entry.name, entry.size, entry.lastWriteTime});
        }
    }
}

bool OutgoingQueue::IsQueued(const std::string& name) const {
    return std::any_of(files_.begin(), files_.end(),
                       [&](const File& file) { return win::SameName(file.name, name); });
}

OutgoingQueue::Addition OutgoingQueue::JudgeName(const std::string& name) const {
    if (settings::IsReservedName(name)) {
        return {Outcome::ReservedName, name};
    }
    if (IsQueued(name)) {
        return {Outcome::AlreadyQueued, name};
    }
    // No file name holds '?' or '*': the chooser puts a '?' for each character the code page lacks,
    // and a search would take it as a wildcard.
    if (name.find_first_of("?*") != std::string::npos) {
        return {Outcome::HeldBack, name, OutgoingVerdict::NameNotAnsi};
    }
    return {Outcome::Added, name};
}

OutgoingQueue::Addition OutgoingQueue::Add(const std::string& path) {
    const std::string name = win::LastComponentOf(path);
    if (Addition refusal = JudgeName(name); refusal.outcome != Outcome::Added) {
        return refusal;
    }
    WIN32_FIND_DATAA entry = {};
    win::FindHandle find(FindFirstFileA(path.c_str(), &entry));
    OutgoingVerdict verdict = find ? settings::JudgeOutgoingEntry(entry) : OutgoingVerdict::Send;
    if (verdict != OutgoingVerdict::Send) {
        return {Outcome::HeldBack, name, verdict};
    }
    const std::string target = win::JoinPath(folder_, name);
    if (!find || !(win::IsSameFile(path, target) || win::CopyReplacing(path, target))) {
        bool folderRefuses = find && !win::CanCreateFileIn(folder_);
        return {folderRefuses ? Outcome::FolderTakesNoFile : Outcome::NotCopied, name};
    }
    files_.push_back(
        {name, win::SizeFromHalves(entry.nFileSizeHigh, entry.nFileSizeLow), entry.ftLastWriteTime});
    return {Outcome::Added, name};
}

bool OutgoingQueue::Remove(const std::string& name) {
    if (!win::DeleteFileIfPresent(win::JoinPath(folder_, name))) {
        return false;
    }
    auto queued =
        std::find_if(files_.begin(), files_.end(), [&](const File& file) { return file.name == name; });
    if (queued != files_.end()) {
        files_.erase(queued);
    }
    return true;
}

std::vector<std::string> OutgoingQueue::MoveInto(const std::string& newFolder) const {
    std::vector<std::string> stayed;
    if (win::IsSameFolder(newFolder, folder_)) {
        return stayed;
    }
    for (const File& file : files_) {
        const std::string source = win::JoinPath(folder_, file.name);
        const std::string target = win::JoinPath(newFolder, file.name);
        if (!win::FileExists(source) || win::IsSameFile(source, target)) {
            continue;
        }
        // The new folder's own file of that name is never replaced; a file that cannot be copied
        // stays put too. Either way the user hears of it, since the new folder is the one sent.
        if (win::CopyWithoutReplacing(source, target)) {
            win::DeleteFileIfPresent(source);
        } else {
            stayed.push_back(file.name);
        }
    }
    return stayed;
}

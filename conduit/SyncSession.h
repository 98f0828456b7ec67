// One HotSync's data: the settings it runs with, the files it moved, and what it has written so far.
// The driver makes one for each synchronisation and hands it to each pass.
#pragma once

#include "conduit/Questions.h"
#include "settings/Settings.h"
#include "win/FileIdentity.h"

#include <windows.h>

#include <optional>
#include <set>
#include <string>

// The conduit's settings for one synchronisation, as read from the Settings store with the conduit's
// own fallbacks: a folder that is missing or no full path is no folder, a policy that cannot be read
// is DoNothing and an archiver that cannot be read is NoArchiver.
struct ConduitSettings {
    std::optional<std::string> sendFolder;
    std::optional<std::string> receiveFolder;
    DWORD fromPCToPalm = settings::DoNothing;
    DWORD fromPalmToPC = settings::DoNothing;
    DWORD archiver = settings::NoArchiver;
    std::string archiverPath;
};

// One warning line in the HotSync log (the warning activity): what was passed over or kept, and why.
void LogWarning(const std::string& subject, const std::string& reason);

class SyncSession {
public:
    SyncSession() = default;
    explicit SyncSession(ConduitSettings conduitSettings, MessageBoxFunction questionBox = MessageBoxA)
        : settings(std::move(conduitSettings)), messageBox(questionBox) {}

    ConduitSettings settings;
    // What the overwrite questions of this synchronisation are shown with.
    MessageBoxFunction messageBox = MessageBoxA;
    // Files written to the handheld and to the PC in this synchronisation, each modulo 65 536.
    WORD sentCount = 0;
    WORD receivedCount = 0;

    // A file the receiving pass wrote into the incoming folder (path as the pass knows it).
    void NoteReceived(const std::string& path);
    bool WasReceived(const std::string& path) const;
    // A file database the sending pass wrote.
    void NoteWritten(const std::string& databaseName) { writtenDatabases_.insert(databaseName); }
    bool WasWritten(const std::string& databaseName) const {
        return writtenDatabases_.count(databaseName) != 0;
    }

private:
    std::set<std::string> writtenDatabases_;
    std::set<win::FileIdentity> receivedFiles_;
};

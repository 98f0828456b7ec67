#include "conduit/SyncSession.h"

#include "interfaces/palm/HSLog.h"
#include "win/Handles.h"

void SyncSession::NoteReceived(const std::string& path) {
    if (std::optional<win::FileIdentity> identity = win::IdentityOf(path)) {
        receivedFiles_.insert(*identity);
    }
}

bool SyncSession::WasReceived(const std::string& path) const {
    if (receivedFiles_.empty()) {
        return false;
    }
    std::optional<win::FileIdentity> identity = win::IdentityOf(path);
    return identity && receivedFiles_.count(*identity) != 0;
}

void LogWarning(const std::string& subject, const std::string& reason) {
    std::string text = "Kestrin: " + subject + ": " + reason;
    LogAddEntry(text.c_str(), slWarning, FALSE);
}

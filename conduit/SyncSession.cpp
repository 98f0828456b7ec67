#include "conduit/SyncSession.h"

#include "interfaces/palm/HSLog.h"
#include "win/Handles.h"

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    win::File file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!file || !GetFileInformationByHandle(file.get(), &information)) {
        return std::nullopt;
    }
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                        information.nFileIndexLow};
}

void SyncSession::NoteReceived(const std::string& path) {
    if (std::optional<FileIdentity> identity = IdentityOf(path)) {
        receivedFiles_.insert(*identity);
    }
}

bool SyncSession::WasReceived(const std::string& path) const {
    if (receivedFiles_.empty()) {
        return false;
    }
    std::optional<FileIdentity> identity = IdentityOf(path);
    return identity && receivedFiles_.count(*identity) != 0;
}

void LogWarning(const std::string& subject, const std::string& reason) {
    std::string text = "Kestrin: " + subject + ": " + reason;
    LogAddEntry(text.c_str(), slWarning, FALSE);
}

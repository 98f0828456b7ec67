#include "conduit/SyncDriver.h"

#include "conduit/Archiver.h"
#include "interfaces/palm/HSLog.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/Settings.h"

#include <cstring>

ConduitSettings conduitSettings;
WORD sentCount = 0;
WORD receivedCount = 0;

namespace {
constexpr const char* kConduitName = "KestrinConduit";
constexpr DWORD kCreatorId = 0x76714B54; // 'vqKT'
constexpr WORD kTransferCountPreferenceId = 0;
constexpr WORD kTransferCountPreferenceSize = 42;
} // namespace

long RunSynchronisation(PROGRESSFN progress) {
    if (progress == nullptr) {
        return -1;
    }
    CONDHANDLE conduit = 0;
    long registered = SyncRegisterConduit(&conduit);
    if (registered != 0) {
        return registered;
    }
    LogAddEntry("", slSyncStarted, FALSE);
    sentCount = 0;
    receivedCount = 0;
    // Nothing may leave OpenConduit by an exception (out of memory, say): the rest of the work is
    // given up, and the synchronisation still ends and unregisters.
    try {
        ReadSettings();
        ReceiveFiles();
        SendFiles();
        UpdateTransferCounts();
    } catch (...) {
    }
    LogAddEntry(kConduitName, slSyncFinished, FALSE);
    SyncUnRegisterConduit(conduit);
    return 0;
}

void ReadSettings() {
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath, KEY_READ);
    conduitSettings.sendFolder = settings::ReadString(key.get(), settings::kFolderForSFiles);
    conduitSettings.receiveFolder = settings::ReadString(key.get(), settings::kFolderForRFiles);
    if (auto value = settings::ReadDword(key.get(), settings::kFromPalmToPC)) {
        conduitSettings.fromPalmToPC = *value;
    }
    if (auto value = settings::ReadDword(key.get(), settings::kFromPCToPalm)) {
        conduitSettings.fromPCToPalm = *value;
    }
    if (auto value = settings::ReadDword(key.get(), settings::kArchiver)) {
        conduitSettings.archiver = *value;
    }
    key.reset();

    if (conduitSettings.archiver == settings::WinZip || conduitSettings.archiver == settings::WinRar) {
        auto path = ResolveArchiverPath(static_cast<settings::ArchiverChoice>(conduitSettings.archiver));
        if (path) {
            conduitSettings.archiverPath = *path;
        } else {
            conduitSettings.archiver = settings::NoArchiver;
        }
    }
}

void UpdateTransferCounts() {
    if (sentCount == 0 && receivedCount == 0) {
        return;
    }
    BYTE data[kTransferCountPreferenceSize] = {};
    CSyncPreference preference = {};
    preference.m_Creator = kCreatorId;
    preference.m_PrefId = kTransferCountPreferenceId;
    preference.m_ReqBytes = kTransferCountPreferenceSize;
    preference.m_Backup = 1;
    preference.m_dwDataSize = kTransferCountPreferenceSize;
    preference.m_pData = data;
    if (SyncReadAppPreference(&preference) == SYNCERR_NOT_FOUND) {
        return;
    }
    WORD sent = SyncHostToHHWord(sentCount);
    WORD received = SyncHostToHHWord(receivedCount);
    std::memcpy(data, &sent, sizeof(sent));
    std::memcpy(data + 2, &received, sizeof(received));
    preference.m_dwReserved = 0;
    SyncWriteAppPreference(&preference);
}

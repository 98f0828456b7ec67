#include "conduit/SyncDriver.h"

#include "conduit/Archiver.h"
#include "interfaces/palm/HSLog.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"

#include <cstring>

ConduitSettings conduitSettings;
WORD sentCount = 0;
WORD receivedCount = 0;

namespace {
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
    LogAddEntry(layout::kConduitName, slSyncFinished, FALSE);
    SyncUnRegisterConduit(conduit);
    return 0;
}

void ReadSettings() {
    settings::TransferSettings stored = settings::ReadTransferSettings();
    conduitSettings.sendFolder = stored.sendFolder;
    conduitSettings.receiveFolder = stored.receiveFolder;
    conduitSettings.fromPalmToPC = stored.fromPalmToPC.value_or(conduitSettings.fromPalmToPC);
    conduitSettings.fromPCToPalm = stored.fromPCToPalm.value_or(conduitSettings.fromPCToPalm);
    conduitSettings.archiver = stored.archiver.value_or(conduitSettings.archiver);

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
    preference.m_Creator = layout::kCreatorIdNumber;
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

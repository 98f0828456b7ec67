#include "conduit/SyncDriver.h"

#include "conduit/Archiver.h"
#include "interfaces/palm/HSLog.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "win/Paths.h"

#include <cstring>
#include <vector>

namespace {

constexpr WORD kTransferCountPreferenceId = 0;
constexpr WORD kTransferCountPreferenceSize = 42;

// A folder the conduit may work in: present and a full path.
std::optional<std::string> UsableFolder(const std::optional<std::string>& folder, const char* valueName) {
    if (folder && win::IsFullFolderPath(*folder)) {
        return folder;
    }
    LogWarning(valueName, "not a full folder path; nothing moves in that direction");
    return std::nullopt;
}

DWORD UsablePolicy(const std::optional<DWORD>& policy, const char* valueName) {
    if (policy) {
        return *policy;
    }
    LogWarning(valueName, "cannot be read; existing files are left as they are");
    return settings::DoNothing;
}

CSyncPreference TransferCountPreference(BYTE* data, WORD size) {
    CSyncPreference preference = {};
    preference.m_Creator = layout::kCreatorIdNumber;
    preference.m_PrefId = kTransferCountPreferenceId;
    preference.m_ReqBytes = size;
    preference.m_Backup = 1;
    preference.m_dwDataSize = size;
    preference.m_pData = data;
    return preference;
}

} // namespace

long RunSynchronisation(PROGRESSFN progress, MessageBoxFunction messageBox) {
    if (progress == nullptr) {
        return -1;
    }
    CONDHANDLE conduit = 0;
    long registered = SyncRegisterConduit(&conduit);
    if (registered != 0) {
        return registered;
    }
    LogAddEntry("", slSyncStarted, FALSE);
    // Nothing may leave OpenConduit by an exception (out of memory, say): the rest of the work is
    // given up, and the synchronisation still ends and unregisters.
    try {
        SyncSession session(ReadSettings(), messageBox);
        ReceiveFiles(session);
        SendFiles(session);
        UpdateTransferCounts(session);
    } catch (...) {
    }
    LogAddEntry(layout::kConduitName, slSyncFinished, FALSE);
    SyncUnRegisterConduit(conduit);
    return 0;
}

ConduitSettings ReadSettings() {
    settings::TransferSettings stored = settings::ReadTransferSettings();
    ConduitSettings conduitSettings;
    conduitSettings.sendFolder = UsableFolder(stored.sendFolder, settings::kFolderForSFiles);
    conduitSettings.receiveFolder = UsableFolder(stored.receiveFolder, settings::kFolderForRFiles);
    conduitSettings.fromPalmToPC = UsablePolicy(stored.fromPalmToPC, settings::kFromPalmToPC);
    conduitSettings.fromPCToPalm = UsablePolicy(stored.fromPCToPalm, settings::kFromPCToPalm);
    conduitSettings.archiver = stored.archiver.value_or(settings::NoArchiver);
    if (!stored.archiver) {
        LogWarning(settings::kArchiver, "cannot be read; files are sent uncompressed");
    }
    if (conduitSettings.archiver == settings::WinZip || conduitSettings.archiver == settings::WinRar) {
        auto path = ResolveArchiverPath(static_cast<settings::ArchiverChoice>(conduitSettings.archiver));
        if (path) {
            conduitSettings.archiverPath = *path;
        } else {
            conduitSettings.archiver = settings::NoArchiver;
        }
    }
    return conduitSettings;
}

// A failed read, whatever its code, writes nothing: the handheld application's bytes stay. A stored
// preference longer than 42 bytes is read again whole and written back whole.
void UpdateTransferCounts(const SyncSession& session) {
    if (session.sentCount == 0 && session.receivedCount == 0) {
        return;
    }
    std::vector<BYTE> data(kTransferCountPreferenceSize);
    CSyncPreference preference = TransferCountPreference(data.data(), kTransferCountPreferenceSize);
    if (SyncReadAppPreference(&preference) != SYNCERR_NONE) {
        return;
    }
    if (preference.m_ActSize > kTransferCountPreferenceSize) {
        WORD size = preference.m_ActSize;
        data.assign(size, 0);
        preference = TransferCountPreference(data.data(), size);
        if (SyncReadAppPreference(&preference) != SYNCERR_NONE || preference.m_RetBytes != size) {
            return;
        }
    }
    WORD sent = SyncHostToHHWord(session.sentCount);
    WORD received = SyncHostToHHWord(session.receivedCount);
    std::memcpy(data.data(), &sent, sizeof(sent));
    std::memcpy(data.data() + 2, &received, sizeof(received));
    preference.m_dwReserved = 0;
    SyncWriteAppPreference(&preference);
}

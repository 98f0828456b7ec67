// One synchronisation: settings, the two passes and the transfer counts.
#pragma once

#include "conduit/SyncSession.h"
#include "interfaces/palm/CondAPI.h"

#include <windows.h>

// The body of OpenConduit, after the module context has been taken; the questions go to `messageBox`.
long RunSynchronisation(PROGRESSFN progress, MessageBoxFunction messageBox = MessageBoxA);

// The transfer settings of this synchronisation, with the archiver's program looked up. Each value
// that cannot be used gets one warning line in the HotSync log.
ConduitSettings ReadSettings();
void ReceiveFiles(SyncSession& session);
void SendFiles(SyncSession& session);
void UpdateTransferCounts(const SyncSession& session);

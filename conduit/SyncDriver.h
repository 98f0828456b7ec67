// One synchronisation: settings, the two passes and the transfer counts.
#pragma once

#include "interfaces/palm/CondAPI.h"

#include <windows.h>

#include <optional>
#include <string>

// The conduit's settings, refilled at the start of every synchronisation. The numbers keep their
// previous values when the Settings store lacks them.
struct ConduitSettings {
    // Missing, not a string, or longer than 259 characters: the pass of that folder does nothing.
    std::optional<std::string> sendFolder;
    std::optional<std::string> receiveFolder;
    DWORD fromPCToPalm = 0;
    DWORD fromPalmToPC = 0;
    DWORD archiver = 0;
    std::string archiverPath;
};

extern ConduitSettings conduitSettings;
extern WORD sentCount;
extern WORD receivedCount;

// The body of OpenConduit, after the module context has been taken.
long RunSynchronisation(PROGRESSFN progress);

void ReadSettings();
void ReceiveFiles();
void SendFiles();
void UpdateTransferCounts();

// The pieces of the two transfer passes (SendFiles and ReceiveFiles are declared with the driver).
#pragma once

#include "conduit/FileHeader.h"
#include "conduit/SyncSession.h"
#include "settings/OutgoingFolder.h"

#include <windows.h>

#include <string>

// What the handheld holds under a handheld name.
struct HandheldCopy {
    enum Kind {
        None,
        // A database of another application, or of another type: never questioned or touched.
        Foreign,
        // A file database of ours that an interrupted send left: no header record, or an uncompressed
        // file whose data does not have the header's size. It counts as absent.
        Leftover,
        Whole,
    } kind = None;
    // The database's size as the handheld reports it: the memory its deletion frees.
    DWORD bytes = 0;
};
HandheldCopy FindHandheldCopy(const std::string& name);

// Whether the file may go to the handheld under the session's `fromPCToPalm` (nothing is deleted here): true
// when no file database of ours carries the name, or a leftover does, or the policy replaces it.
bool ConfirmHandheldOverwrite(const SyncSession& session, const FileHeader& header, HandheldCopy existing);

// Sends one listed file of the outgoing folder `outbox`. The handheld's old database is deleted only once
// the new one is ready to go and fits in the free memory with the old one's space; the PC copy is deleted
// only after the whole file database was written and closed without error; a failed send leaves no database
// behind.
void SendFile(SyncSession& session, const std::string& outbox, const settings::OutgoingEntry& listed,
              const FileHeader& header, HandheldCopy existing);

// Copies one queued file database of the handheld into the incoming folder `inbox`.
void ReceiveFile(SyncSession& session, const std::string& inbox, const std::string& databaseName);

// The free-memory test: file bytes, 8 bytes per full record and 270 bytes of overhead, without
// overflow.
bool FitsFreeRam(ULONGLONG transferredBytes, ULONGLONG freeRam);

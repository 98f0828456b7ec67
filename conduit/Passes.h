// The pieces of the two transfer passes (SendFiles and ReceiveFiles are declared with the driver).
#pragma once

#include "conduit/FileHeader.h"

#include <windows.h>

// Whether the file may go to the handheld under `fromPCToPalm`; deletes the handheld's file database
// of the same name when it is to be replaced.
bool ConfirmHandheldOverwrite(const FileHeader& header);

// Sends one file of the current directory. The PC copy is deleted only after the whole file
// database was written and closed without error; a failed send leaves no database behind.
void SendFile(const WIN32_FIND_DATAA& entry, const FileHeader& header);

// Copies one queued file database of the handheld into the current directory.
void ReceiveFile(const std::string& databaseName);

// The free-memory test: file bytes, 8 bytes per full record and 270 bytes of overhead, without
// overflow.
bool FitsFreeRam(ULONGLONG transferredBytes, DWORD freeRam);

// The handheld's file databases as the conduit builds them from the outgoing folder's entries. The
// format and its rules are the shared ones of formats/FileDatabase.h.
#pragma once

#include "formats/FileDatabase.h"
#include "settings/InstalledLayout.h"

#include <windows.h>

#include <string>

using formats::FileHeader;
using formats::HandheldNameOf;
using formats::FileSizeOf;
using formats::HandheldName;
using formats::kDataRecordSize;
using formats::kFileDatabaseType;
using formats::kFileDatabaseVersion;
using formats::kMaxTransferBytes;
using formats::kQueueDatabaseName;
using formats::MakeHandheldName;

// The compression field for a synchronisation's archiver setting: an archiver number the conduit does
// not know sends the file as it is.
DWORD CompressionForSending(DWORD archiver);

// Fills a zeroed header for one entry of the outgoing folder, with that compression and `now` as the
// transfer time.
void BuildFileHeader(const WIN32_FIND_DATAA& entry, DWORD compression, FileHeader& header,
                     const SYSTEMTIME& now);
// The same with the current local time.
void BuildFileHeader(const WIN32_FIND_DATAA& entry, DWORD compression, FileHeader& header);

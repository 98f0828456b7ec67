// The Palm database file (.pdb/.prc) as the emulated handheld keeps it: the shared format of
// formats/PalmDatabase.h, with the storage's results and the handheld's clock.
#pragma once

#include "formats/PalmDatabase.h"

#include <windows.h>

namespace palm {

using formats::DatabaseHeader;
using formats::DecodeHeader;
using formats::EncodeHeader;
using formats::FourCharCode;
using formats::FourCharText;
using formats::GetBE16;
using formats::GetBE32;
using formats::IsValidDatabaseName;
using formats::kAttrBackup;
using formats::kAttrResource;
using formats::kHeaderSize;
using formats::kMaxNameLength;
using formats::kMaxRecordCount;
using formats::kMaxRecordSize;
using formats::kPaddingSize;
using formats::kPalmEpochOffset;
using formats::kRecordEntrySize;
using formats::kResourceEntrySize;
using formats::PutBE16;
using formats::PutBE32;

enum class Status { Ok, NotFound, Exists, Unreadable, BadArgument, Full, IoError };

// The current time as seconds since 1904 (device local time, as a handheld keeps it).
DWORD PalmTimeNow();

} // namespace palm

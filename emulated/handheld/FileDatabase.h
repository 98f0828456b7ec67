// The handheld application's side of a file database (formats/FileDatabase.h): one PC file as a
// "DaTa"/"vqKT" database whose record 0 is a 64-byte FileHeader and whose further records carry the
// bytes, 32 768 each.
#pragma once

#include "emulated/palm/storage/HandheldFolder.h"
#include "formats/FileDatabase.h"

#include <string>

namespace handheld {

using formats::FileHeader;

struct QueueOptions {
    DWORD compression = 0;
    bool sizeGiven = false;
    DWORD size = 0;
};

// Writes the PC file at `pcPath` as a new file database; `databaseName` gets its name.
// Exists when a database of that name is already there.
palm::Status WriteFileDatabase(const palm::HandheldFolder& handheld, const std::string& pcPath,
                               const QueueOptions& options, std::string& databaseName, std::string& error);

// Writes the data records of a file database to `outPath`; `header` gets its FileHeader and
// `written` the number of bytes.
palm::Status ExtractFileDatabase(const palm::HandheldFolder& handheld, const std::string& databaseName,
                                 const std::string& outPath, FileHeader& header, ULONGLONG& written,
                                 std::string& error);

} // namespace handheld

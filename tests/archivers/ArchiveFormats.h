// Stored (uncompressed) ZIP and RAR 4.x archives of single files, for the test archivers; deflated
// ZIP entries are read as well.
#pragma once

#include <cstdint>
#include <string>

namespace archive {

// zlib's CRC-32, continued from `crc` (0 to start).
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

// Packs one file of the current directory into a new archive; false when anything failed, and the
// archive is then removed.
bool PackZip(const std::string& archiveName, const std::string& fileName);
bool PackRar(const std::string& archiveName, const std::string& fileName);

// Writes every entry of the archive into the current directory under its base name. An entry whose
// data does not match its CRC is removed again; false when any entry failed or the archive is
// malformed.
bool UnpackZip(const std::string& archiveName);
bool UnpackRar(const std::string& archiveName);

} // namespace archive

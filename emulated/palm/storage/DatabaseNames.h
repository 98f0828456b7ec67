// One .pdb file per database: the file name is made from the database name so that every Palm name
// maps to exactly one file and back, even on a case-insensitive file system that forbids some
// characters and device names. The file name is only a key; the real name is in the header.
#pragma once

#include <string>

namespace palm {

constexpr const char* kDatabaseFileSuffix = ".pdb";

// Lower-case letters, digits and harmless punctuation stay; an upper-case letter becomes '^' and
// the letter in lower case; '%', '^', forbidden, control and high bytes, a trailing '.' or ' ' and
// the first character of a device name become %XX; ".pdb" follows.
std::string DatabaseFileName(const std::string& name);

// The inverse of DatabaseFileName (letter case of the file name aside); false for a file name
// that no valid database name produces.
bool DatabaseNameFromFileName(const std::string& fileName, std::string& name);

} // namespace palm

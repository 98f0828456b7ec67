// Which PC files the conduit takes, and which names from the handheld it accepts.
#pragma once

#include <windows.h>

#include <string>

// The outgoing-file rule: not a folder, not empty, and not named "serialsync.txt" in any case.
bool IsOutgoingFile(const WIN32_FIND_DATAA& entry);

// The header carries a 32-bit file size: a file of 4 GiB or more cannot travel.
bool FitsFileHeader(const WIN32_FIND_DATAA& entry);

// "$$temp$$.zip" or "$$temp$$.rar" in any case: the names of the conduit's temporary archives.
bool IsTemporaryArchiveName(const std::string& name);

// A name from the handheld that may be used as a file name in the incoming folder: not empty, not
// "." or "..", no folder separator, drive colon, control or other forbidden character, no trailing
// dot or space, and not a device name such as CON or LPT1.TXT.
bool IsSafeFileName(const std::string& name);

bool EqualsIgnoringCase(const std::string& left, const std::string& right);

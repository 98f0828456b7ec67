// Registry values as the tests set them up and read them back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testsupport {

std::optional<DWORD> StoredNumber(HKEY root, const char* key, const char* name);
std::optional<std::string> StoredText(HKEY root, const char* key, const char* name);
bool KeyExists(HKEY root, const char* key);
// Number of values under the key; -1 when it does not exist.
int ValueCount(HKEY root, const char* key);

// Writes the bytes as they are given, whatever the type says.
void WriteRawValue(HKEY key, const char* name, DWORD type, const std::string& bytes);

// Removes both keys that an installation writes: the Settings store and the uninstall entry.
void RemoveInstallationKeys();

} // namespace testsupport

// Where an entry is written. A stored name comes from an untrusted archive: it must stay inside the
// destination folder.
#pragma once

#include <optional>
#include <string>

namespace rar {

// The stored name as a relative path with backslashes, or nothing when it may not be written
// under a destination: absolute, with a drive or stream colon, climbing out with "..", naming a
// device (CON, NUL, COM1...) or holding a character no file name may hold.
std::optional<std::wstring> SafeRelativePath(const std::wstring& storedName);

// destFolder (the current folder when empty) joined with a safe relative path, or nothing when
// the full path would not lie inside the destination folder.
std::optional<std::wstring> PathUnder(const std::wstring& destFolder, const std::wstring& relative);

// Creates every missing folder of a path's parent; false when one cannot be made.
bool CreateParentFolders(const std::wstring& path);
bool CreateFolderPath(const std::wstring& folder);

} // namespace rar

// Names, paths and folders as Windows reads them: one copy of each rule for every program.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// Text in a code page (the system's ANSI code page unless another is named) and back. A text that
// cannot be converted gives an empty result.
std::wstring ToWide(const std::string& text, UINT codePage = CP_ACP);
std::string ToAnsi(const std::wstring& text, UINT codePage = CP_ACP);

// True when the file system takes both names, or both paths as spelt, for one name: compared
// character by character after turning both to upper case, as NTFS does, with no regard to
// language (no letters ignored or folded together).
bool SameName(const std::wstring& first, const std::wstring& second);
bool SameName(const std::string& first, const std::string& second);

// The text without any backslash at its end ("D:\" gives "D:", the form in which folders are recorded).
std::string WithoutTrailingBackslashes(std::string text);

// The last component of a path: everything after the last backslash, slash or drive colon.
std::string LastComponentOf(const std::string& path);

// The path cut before its last backslash or colon, whichever lies further right; the whole path
// when it has neither (C:\Program Files gives C:, D:\a\b gives D:\a).
std::string ParentFolder(const std::string& path);
std::wstring ParentFolder(const std::wstring& path);

// Creates the folder with every missing parent, from the top down. True when the folder exists
// afterwards.
bool CreateFolderTree(const std::wstring& folder);
bool CreateFolderTree(const std::string& folder);

// A drive letter, a colon and a backslash, or two backslashes (a network path): a folder value that
// names its folder whatever the current folder. Anything else depends on the current directory.
bool IsFullFolderPath(const std::string& folder);
// A drive root as folders are recorded: a drive letter and a colon alone ("D:").
bool IsDriveRoot(const std::string& folder);
// A recorded folder that names a folder on its own: a drive root, a drive letter with a colon and
// a backslash, or two backslashes and a server name. Device paths (\\.\ and \\?\) are not accepted.
bool IsFullPath(const std::string& path);

// The system's full path for a path (relative ones from the current folder, dots and slashes
// resolved); empty when it has none.
std::string FullPathName(const std::string& path);
std::wstring FullPathName(const std::wstring& path);

// True when both paths name the same folder, however spelt (letter case, trailing backslash, short
// form, dots). Folders that do not exist are compared by their full long paths.
bool IsSameFolder(const std::string& first, const std::string& second);

// The folder, one backslash and the name; an empty folder gives the name alone.
std::string JoinPath(const std::string& folder, const std::string& name);
// A full path (IsFullFolderPath) for a path that may be relative: a relative path is taken from the
// base folder (a rooted one from the base folder's drive or share). Dots and slashes are resolved; a path
// that is full already is kept as it is. Empty when no full path can be made.
std::string FullPathFrom(const std::string& baseFolder, const std::string& path);

} // namespace win

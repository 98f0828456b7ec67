// Lets every user of the PC change what a folder holds: the built-in Users group is allowed to
// modify the folder, and the files and folders made in it inherit that. Setup gives this to the
// Inbox and the Outbox, which lie in the install folder under "Program Files", where a standard
// user may otherwise only read, while HotSync Manager and the manager run as that user.
#pragma once

#include "win/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace install {

// Modify: read, write, run and delete, but neither change the access list nor take ownership.
inline constexpr DWORD kModifyRights = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
// Inherited by the files (objects) and the folders (containers) inside.
inline constexpr BYTE kInheritedByContents = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

// The built-in Users group (S-1-5-32-545) as the platform makes it, the same whatever the language
// of Windows names the group; empty when it cannot be made.
std::vector<BYTE> UsersGroupSid();

// A copy of `current` with an entry that allows the Users group kModifyRights, inherited by
// kInheritedByContents; every entry of `current` is kept, the inherited ones too. Empty, with the
// platform's error in GetLastError, when the list cannot be made.
win::LocalMemory AccessListGrantingUsersModify(const ACL* current);

// Adds that entry to the folder's own access list, and to what its files and subfolders inherit.
// The platform's error code, or ERROR_SUCCESS. A folder without an access list (everyone may
// do anything in it, as on a FAT drive) is left as it is.
DWORD GrantUsersModify(const std::string& folder);

} // namespace install

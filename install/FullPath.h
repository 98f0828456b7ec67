// Which recorded folder paths name a folder on their own, whatever the current folder or drive.
#pragma once

#include <string>

namespace install {

// True for a drive letter and a colon, alone (a drive root as it is recorded, such as D:) or followed
// by a backslash, and for a network path: two backslashes and a server name. Everything else is
// relative to a current folder or drive, or a device path (\\.\ and \\?\), and is not accepted.
bool IsFullPath(const std::string& path);

} // namespace install

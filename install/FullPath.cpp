#include "install/FullPath.h"

#include "settings/Settings.h"

namespace install {

bool IsFullPath(const std::string& path) {
    if (settings::IsDriveRoot(path)) {
        return true;
    }
    // Two backslashes must start a server name, not a device path (\\.\ or \\?\).
    const bool networkPath = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    const bool serverNamed = path.size() >= 3 && path[2] != '\\' && path[2] != '.' && path[2] != '?';
    return settings::IsFullFolderPath(path) && (!networkPath || serverNamed);
}

} // namespace install

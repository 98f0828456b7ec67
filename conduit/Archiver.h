// The outside archivers WinZip and WinRar, found through their App Paths registration.
#pragma once

#include "settings/Settings.h"

#include <optional>
#include <string>

// The registered program path; nothing when the registration key cannot be opened.
std::optional<std::string> ResolveArchiverPath(settings::ArchiverChoice archiver);

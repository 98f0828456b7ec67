// Every text that Setup shows in a message box.
#pragma once

namespace messages {

inline constexpr const char* kHotSyncNotFound =
    "HotSync Manager not found on your computer! Installation aborted.";
inline constexpr const char* kFolderNotCreated =
    "Cannot create specified directory!\nDirectory was selected by default.";
inline constexpr const char* kAbortQuestion = "Do you want to abort this installation?";
inline constexpr const char* kInstallationComplete =
    "Installation complete! You need to restart Windows before\nthe new setting will take effect. Restart "
    "Windows now?";
inline constexpr const char* kErrorLoadingDll = "Error loading DLL";
inline constexpr const char* kErrorLoadingFunctions = "Error loading functions from DLL";
inline constexpr const char* kConduitNotRegistered =
    "Cannot register the conduit with HotSync Manager! Installation aborted.";
inline constexpr const char* kArchiveHeaderBroken = "Archive header broken";
// A result code of the RAR extraction library that no table of Setup names.
inline constexpr const char* kUnknownArchiveError = "Unknown archive error";

inline constexpr const char* kBrowseTitle = "Select a folder from the list below.";

} // namespace messages

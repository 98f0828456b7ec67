// Where every piece of an installation lives: what Setup creates and UnInstall removes. Folder
// paths are recorded without a trailing backslash; all names compare without regard to case.
#pragma once

namespace layout {

// Palm Desktop's record of HotSync Manager's program (HKEY_CURRENT_USER); the HotSync folder is
// that path cut before its last backslash.
inline constexpr const char* kHotSyncKeyPath = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
inline constexpr const char* kHotSyncPathValue = "HotSyncPath";

inline constexpr const char* kDefaultInstallFolder = "C:\\Program Files\\Orvelle\\Kestrin Manager";

// The conduit's registration with HotSync Manager.
inline constexpr const char* kCreatorId = "vqKT";
// The creator as a Palm 32-bit number: the first character is the most significant byte.
inline constexpr unsigned long kCreatorIdNumber =
    (static_cast<unsigned long>(kCreatorId[0]) << 24) | (static_cast<unsigned long>(kCreatorId[1]) << 16) |
    (static_cast<unsigned long>(kCreatorId[2]) << 8) | static_cast<unsigned long>(kCreatorId[3]);
static_assert(kCreatorIdNumber == 0x76714B54, "vqKT");
// The conduit's name: what it tells HotSync Manager, and its end entry in the HotSync log.
inline constexpr const char* kConduitName = "KestrinConduit";
inline constexpr const char* kConduitFileName = "KestrinConduit.dll";
inline constexpr unsigned long kConduitPriority = 2;

// Files of the HotSync folder.
inline constexpr const char* kCondMgrFileName = "condmgr.dll";

// Files of the install folder.
inline constexpr const char* kManagerFileName = "KestrinManager.exe";
inline constexpr const char* kUnInstallFileName = "UnInstall.exe";
inline constexpr const char* kHandheldAppFileName = "Kestrin.prc";
// Outbox and Inbox: settings::kOutboxFolderName and settings::kInboxFolderName.

// The package Setup unpacks, opened from Setup's current folder; its first entry is the conduit.
inline constexpr const char* kPackageFileName = "data.z";
inline constexpr const char* kUnrarFileName = "unrar.dll";

// The program group: the shell's programs folder (CSIDL_PROGRAMS) + these two levels.
inline constexpr const char* kGroupParentFolderName = "Orvelle";
inline constexpr const char* kGroupFolderName = "Kestrin";
inline constexpr const char* kManagerShortcutName = "Kestrin Manager.lnk";
inline constexpr const char* kUnInstallShortcutName = "UnInstall Kestrin Manager.lnk";
// UnInstall spells its own shortcut, and the uninstall key below, with other capitals than Setup;
// the platform matches them all the same.
inline constexpr const char* kUnInstallShortcutNameAsRemoved = "UnInstall Kestrin manager.lnk";
inline constexpr const char* kHandheldAppShortcutName = "Kestrin for Palm.lnk";

// The uninstall entry (HKEY_LOCAL_MACHINE).
inline constexpr const char* kUninstallKeyPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrin Manager";
inline constexpr const char* kUninstallKeyPathAsRemoved =
    "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\Kestrin Manager";
inline constexpr const char* kDisplayNameValue = "DisplayName";
inline constexpr const char* kDisplayName = "Kestrin Manager v2.1";
inline constexpr const char* kUninstallStringValue = "UninstallString";
// What else Windows' list of programs shows and uses, written after the two values above.
inline constexpr const char* kDisplayVersionValue = "DisplayVersion";
inline constexpr const char* kDisplayVersion = "2.1";
inline constexpr const char* kPublisherValue = "Publisher";
inline constexpr const char* kPublisher = "Orvelle";
inline constexpr const char* kDisplayIconValue = "DisplayIcon";
inline constexpr const char* kInstallLocationValue = "InstallLocation";
inline constexpr const char* kQuietUninstallStringValue = "QuietUninstallString";
// UnInstall's switch for a removal without questions.
inline constexpr const char* kSilentSwitch = "/S";
inline constexpr const char* kNoModifyValue = "NoModify";
inline constexpr const char* kNoRepairValue = "NoRepair";

} // namespace layout

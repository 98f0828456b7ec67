// How an installation, or one of its steps, ended: what the installation object and the package
// extraction both report.
#pragma once

// How an installation ended; a silent installation exits with this number.
enum class SetupOutcome : int {
    Installed = 0,
    BadCommandLine = 1,
    HotSyncMissing = 2,
    UnrarNotLoaded = 3,
    UnrarFunctionsMissing = 4,
    PackageNotOpened = 5,
    EntryNotExtracted = 6,
    PackageHeaderBroken = 7,
    CondMgrNotLoaded = 8,
    CondMgrFunctionsMissing = 9,
    ConduitNotRegistered = 10,
    DefaultFolderUsed = 11,
    FoldersNotCreated = 12,
    SettingsNotWritten = 13,
    UninstallEntryNotWritten = 14,
    ShortcutsNotCreated = 15,
    Cancelled = 16,
    NotFinished = 17,
    // The Outbox or the Inbox was made, but not every user may write into it.
    FolderRightsNotGranted = 18,
    // The package does not hold exactly the installed files.
    PackageMembersUnexpected = 19,
};

enum class InstallationEnd {
    Finished,
    // A failure after which the installation ends without the abort question.
    Aborted,
    // A failure after which the user is asked whether to abort; No lets them try again.
    Failed,
};

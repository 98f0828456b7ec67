// The Settings store that all four programs share: HKEY_CURRENT_USER "Software\Orvelle\Kestrin".
#pragma once

#include "win/Handles.h"

#include <windows.h>

#include <iterator>
#include <optional>
#include <string>

namespace settings {

inline constexpr const char* kKeyPath = "Software\\Orvelle\\Kestrin";
inline constexpr const char* kParentKeyPath = "Software\\Orvelle";

// Value names, in the order Setup writes them.
inline constexpr const char* kPathToManager = "PathToManager";
inline constexpr const char* kPathToHotSync = "PathToHotSync";
inline constexpr const char* kFolderForSFiles = "FolderForSFiles";
inline constexpr const char* kFolderForRFiles = "FolderForRFiles";
inline constexpr const char* kFromPalmToPC = "FromPalmToPC";
inline constexpr const char* kFromPCToPalm = "FromPCToPalm";
inline constexpr const char* kNameWidth = "NameWidth";
inline constexpr const char* kSizeWidth = "SizeWidth";
inline constexpr const char* kDateWidth = "DateWidth";
inline constexpr const char* kTimeWidth = "TimeWidth";
inline constexpr const char* kArchiver = "Archiver";
// Left by UnInstall when it could not remove every installed item: its next run finishes the job.
inline constexpr const char* kRemovalUnfinished = "RemovalUnfinished";
// The widths of the outgoing file list's columns "Name", "Size", "Date" and "Time", in that order.
inline constexpr const char* kColumnWidthNames[] = {kNameWidth, kSizeWidth, kDateWidth, kTimeWidth};

// What to do when a copied file already exists at its target ("FromPCToPalm", "FromPalmToPC").
enum OverwritePolicy : DWORD { Overwrite = 0, DoNothing = 1, Ask = 2 };

// Whether, and with which outside archiver, files travel compressed ("Archiver").
enum ArchiverChoice : DWORD { NoArchiver = 0, WinZip = 1, WinRar = 2 };

// Defaults that Setup writes at every installation. The two folders are the install folder with
// these appended (see DefaultSendFolder and DefaultReceiveFolder).
inline constexpr const char* kOutboxFolderName = "\\Outbox";
inline constexpr const char* kInboxFolderName = "\\Inbox";
inline constexpr DWORD kDefaultOverwritePolicy = Ask;
inline constexpr DWORD kDefaultNameWidth = 202;
inline constexpr DWORD kDefaultColumnWidth = 86;
inline constexpr DWORD kDefaultArchiver = NoArchiver;
// A stored column width above this, or of 0, is no width a list can show.
inline constexpr DWORD kLargestColumnWidth = 0x7FFF;

// Every string value is read through a buffer of this many bytes, so it holds at most 259 characters.
inline constexpr DWORD kStringBufferSize = 260;

// Opens an existing key for reading and writing; no key when it does not exist.
win::RegKey OpenKey(HKEY root, const char* path, REGSAM access = KEY_READ | KEY_WRITE);
// Opens a key, creating it when it does not exist.
win::RegKey CreateKey(HKEY root, const char* path);

// A REG_SZ value of at most 259 characters. Missing, of another type, too long or without its
// terminating zero: nothing.
std::optional<std::string> ReadString(HKEY key, const char* name);
// A REG_DWORD value of exactly 4 bytes; nothing when it is missing, of another type or of another size.
std::optional<DWORD> ReadDword(HKEY key, const char* name);

// Strings are written with their terminating zero counted.
bool WriteString(HKEY key, const char* name, const std::string& value);
bool WriteDword(HKEY key, const char* name, DWORD value);

// Every value of the Settings store, as one record that is read and written in one place. A value
// that is missing, or not of its type and size, is empty; each program applies its own fallback.
struct Store {
    std::optional<std::string> pathToManager;
    std::optional<std::string> pathToHotSync;
    std::optional<std::string> sendFolder;    // "FolderForSFiles"
    std::optional<std::string> receiveFolder; // "FolderForRFiles"
    std::optional<DWORD> fromPalmToPC;
    std::optional<DWORD> fromPCToPalm;
    // "NameWidth", "SizeWidth", "DateWidth", "TimeWidth".
    std::optional<DWORD> columnWidths[std::size(kColumnWidthNames)];
    std::optional<DWORD> archiver;

    // What Setup writes into a new installation in `installFolder`.
    static Store Defaults(const std::string& installFolder, const std::string& hotSyncFolder);

    // Reads every value; false, with every value empty, when the key does not exist.
    bool Load();
    enum class Key { MustExist, CreateIfMissing };
    // Writes the values that are present, in the order of the value names above, and leaves the
    // others as they are. False when the key could not be opened or a value not written.
    bool Save(Key key) const;
};

// The transfer values as stored; nothing for a value that is missing or not of its type and size.
// Each program applies its own fallback.
struct TransferSettings {
    std::optional<std::string> sendFolder;    // "FolderForSFiles"
    std::optional<std::string> receiveFolder; // "FolderForRFiles"
    std::optional<DWORD> fromPalmToPC;
    std::optional<DWORD> fromPCToPalm;
    std::optional<DWORD> archiver;
};

// The five values the conduit works with, from Store::Load. Without the key every value is missing.
TransferSettings ReadTransferSettings();

// "C:\Base" gives "C:\Base\Outbox" and "C:\Base\Inbox", however many backslashes end the base.
std::string DefaultSendFolder(const std::string& installFolder);
std::string DefaultReceiveFolder(const std::string& installFolder);

} // namespace settings

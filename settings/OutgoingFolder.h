// The outgoing-file rule, in the one form that both the conduit and the manager apply: which entries
// of the outgoing folder the conduit sends, and why it holds the others back.
#pragma once

#include "formats/PalmDatabase.h"

#include <windows.h>

#include <string>
#include <vector>

namespace settings {

// "serialsync.txt" in any case: no program sends, lists, reads or replaces a file of that name.
bool IsReservedName(const std::string& name);
// "$$temp$$.zip" or "$$temp$$.rar" in any case: the names of the conduit's temporary archives.
bool IsTemporaryArchiveName(const std::string& name);

// The names the conduit's working folder takes, the first one free: "~KestrinConduit.tmp", then
// "~KestrinConduit1.tmp" to "~KestrinConduit9.tmp" where a user's file or folder holds the first.
constexpr int kWorkingFolderNames = 10;
inline constexpr char kWorkingFolderStem[] = "~KestrinConduit";
inline constexpr char kWorkingFolderExtension[] = ".tmp";
// Inside the working folder, everything happens in this subfolder.
inline constexpr char kWorkSubfolder[] = "\\work";
std::string WorkingFolderName(int index);

// The longest path the conduit makes below a transfer folder: a backslash, the longest working
// folder name (one digit after the stem), the work subfolder, a backslash and a handheld database
// name, which names a received file.
inline constexpr size_t kLongestConduitPathBelowFolder =
    1 + sizeof(kWorkingFolderStem) - 1 + 1 + sizeof(kWorkingFolderExtension) - 1 + sizeof(kWorkSubfolder) -
    1 + 1 + formats::kMaxNameLength;
static_assert(kWorkingFolderNames <= 10, "one digit after the stem");
// One of those names, in any case.
bool IsWorkingFolderName(const std::string& name);

enum class OutgoingVerdict {
    Send,
    Folder,
    Empty,
    ReservedName,
    TemporaryArchiveName,
    // A file would not come back to the PC under the name of the conduit's working folder.
    WorkingFolderName,
    // The header carries a 32-bit file size: a file of 4 GiB or more cannot travel.
    TooLarge,
    // The name does not survive a round trip through the ANSI code page: an 8-bit name would stand
    // for another file, or for none.
    NameNotAnsi,
};

// The reason a file is held back, for messages and the HotSync log; empty for Send.
const char* DescribeVerdict(OutgoingVerdict verdict);

// The rule on what an ANSI listing shows: every reason but the name's.
OutgoingVerdict JudgeOutgoingEntry(const WIN32_FIND_DATAA& entry);

// One entry of the outgoing folder as the wide-character listing found it.
struct OutgoingEntry {
    std::wstring wideName;
    // The name in the ANSI code page; exact only when the verdict is not NameNotAnsi.
    std::string name;
    ULONGLONG size = 0;
    FILETIME creationTime = {};
    FILETIME lastAccessTime = {};
    FILETIME lastWriteTime = {};
    DWORD attributes = 0;
    OutgoingVerdict verdict = OutgoingVerdict::Send;

    bool ToSend() const { return verdict == OutgoingVerdict::Send; }
    // The entry as FindFirstFileA would give it, for code written for the 8-bit calls.
    WIN32_FIND_DATAA AnsiFindData() const;
};

// The ANSI form of a wide name, and whether it turns back into exactly that name.
bool ToAnsiName(const std::wstring& wideName, std::string& ansiName);

OutgoingEntry MakeOutgoingEntry(const WIN32_FIND_DATAW& found);

// Every entry of the folder (not its subfolders' contents, not "." and ".."), in the order the file
// system returns them, each with its verdict. Empty when the folder cannot be listed.
std::vector<OutgoingEntry> ListOutgoingFolder(const std::string& folder);

} // namespace settings

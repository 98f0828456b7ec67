#include "settings/OutgoingFolder.h"

#include "win/FileSystem.h"
#include "win/Handles.h"
#include "win/Paths.h"

namespace settings {

namespace {

OutgoingVerdict Judge(DWORD attributes, ULONGLONG size, const std::string& name) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return OutgoingVerdict::Folder;
    }
    if (size == 0) {
        return OutgoingVerdict::Empty;
    }
    if (IsReservedName(name)) {
        return OutgoingVerdict::ReservedName;
    }
    if (IsTemporaryArchiveName(name)) {
        return OutgoingVerdict::TemporaryArchiveName;
    }
    if (IsWorkingFolderName(name)) {
        return OutgoingVerdict::WorkingFolderName;
    }
    if (size > 0xFFFFFFFFull) {
        return OutgoingVerdict::TooLarge;
    }
    return OutgoingVerdict::Send;
}

} // namespace

bool IsReservedName(const std::string& name) {
    return win::SameName(name, "serialsync.txt");
}

bool IsTemporaryArchiveName(const std::string& name) {
    return win::SameName(name, "$$temp$$.zip") || win::SameName(name, "$$temp$$.rar");
}

std::string WorkingFolderName(int index) {
    return kWorkingFolderStem + (index == 0 ? std::string() : std::to_string(index)) +
           kWorkingFolderExtension;
}

bool IsWorkingFolderName(const std::string& name) {
    for (int index = 0; index < kWorkingFolderNames; ++index) {
        if (win::SameName(name, WorkingFolderName(index))) {
            return true;
        }
    }
    return false;
}

const char* DescribeVerdict(OutgoingVerdict verdict) {
    switch (verdict) {
    case OutgoingVerdict::Send:
        return "";
    case OutgoingVerdict::Folder:
        return "it is a folder";
    case OutgoingVerdict::Empty:
        return "it is empty";
    case OutgoingVerdict::ReservedName:
        return "its name is reserved";
    case OutgoingVerdict::TemporaryArchiveName:
        return "it carries the name of the temporary archive";
    case OutgoingVerdict::WorkingFolderName:
        return "it carries the name of the conduit's working folder";
    case OutgoingVerdict::TooLarge:
        return "it is 4 GB or larger";
    case OutgoingVerdict::NameNotAnsi:
        return "its name cannot be written in the PC's code page";
    }
    return "";
}

OutgoingVerdict JudgeOutgoingEntry(const WIN32_FIND_DATAA& entry) {
    return Judge(entry.dwFileAttributes, win::SizeFromHalves(entry.nFileSizeHigh, entry.nFileSizeLow),
                 entry.cFileName);
}

bool ToAnsiName(const std::wstring& wideName, std::string& ansiName) {
    ansiName = win::ToAnsi(wideName);
    // A character the code page lacks becomes '?' or a look-alike ("ā" becomes "a").
    return win::ToWide(ansiName) == wideName && ansiName.size() < MAX_PATH;
}

WIN32_FIND_DATAA OutgoingEntry::AnsiFindData() const {
    WIN32_FIND_DATAA entry = {};
    entry.dwFileAttributes = attributes;
    entry.ftCreationTime = creationTime;
    entry.ftLastAccessTime = lastAccessTime;
    entry.ftLastWriteTime = lastWriteTime;
    entry.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    entry.nFileSizeLow = static_cast<DWORD>(size);
    lstrcpynA(entry.cFileName, name.c_str(), MAX_PATH);
    return entry;
}

OutgoingEntry MakeOutgoingEntry(const WIN32_FIND_DATAW& found) {
    OutgoingEntry entry;
    entry.wideName = found.cFileName;
    entry.size = win::SizeFromHalves(found.nFileSizeHigh, found.nFileSizeLow);
    entry.creationTime = found.ftCreationTime;
    entry.lastAccessTime = found.ftLastAccessTime;
    entry.lastWriteTime = found.ftLastWriteTime;
    entry.attributes = found.dwFileAttributes;
    bool exact = ToAnsiName(entry.wideName, entry.name);
    entry.verdict = Judge(entry.attributes, entry.size, entry.name);
    if (entry.verdict == OutgoingVerdict::Send && !exact) {
        entry.verdict = OutgoingVerdict::NameNotAnsi;
    }
    return entry;
}

std::vector<OutgoingEntry> ListOutgoingFolder(const std::string& folder) {
    std::vector<OutgoingEntry> entries;
    std::wstring pattern = win::ToWide(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') {
        pattern += L'\\';
    }
    pattern += L"*.*";
    WIN32_FIND_DATAW found = {};
    win::FindHandle listing(FindFirstFileW(pattern.c_str(), &found));
    if (!listing) {
        return entries;
    }
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            entries.push_back(MakeOutgoingEntry(found));
        }
    } while (FindNextFileW(listing.get(), &found));
    return entries;
}

} // namespace settings

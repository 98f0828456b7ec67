#include "manager/OutgoingFiles.h"

#include "win/FileIdentity.h"
#include "win/FileSystem.h"
#include "win/Handles.h"
#include "win/Paths.h"

#include <cstdio>
#include <cstring>

const ExtensionImage ExtensionImageTable[kExtensionImageCount] = {
    {"cpl", 0},    {"dll", 0},   {"vxd", 0},   {"drv", 0},  {"sys", 0},   {"386", 0},   {"exe", 1},
    {"com", 1},    {"hlp", 2},   {"txt", 4},   {"wri", 5},  {"reg", 6},   {"bmp", 78},  {"dib", 78},
    {"emf", 79},   {"gif", 80},  {"jfif", 81}, {"jif", 81}, {"jpe", 81},  {"jpeg", 81}, {"jpg", 81},
    {"pcx", 77},   {"pic", 82},  {"png", 83},  {"psd", 84}, {"rle", 78},  {"tga", 85},  {"tif", 86},
    {"tiff", 86},  {"wmf", 14},  {"asp", 15},  {"pdf", 16}, {"fdf", 17},  {"asf", 18},  {"asx", 19},
    {"bsc", 20},   {"h", 8},     {"c", 21},    {"hxx", 22}, {"hpp", 22},  {"cxx", 10},  {"cpp", 10},
    {"bpk", 23},   {"bpr", 24},  {"crl", 25},  {"ctl", 26}, {"cdf", 27},  {"rtf", 28},  {"chm", 29},
    {"theme", 30}, {"dsm", 31},  {"cnt", 32},  {"css", 33}, {"ivf", 34},  {"idc", 35},  {"htx", 36},
    {"its", 37},   {"der", 38},  {"url", 39},  {"htm", 39}, {"html", 39}, {"pt", 40},   {"udl", 41},
    {"mhtml", 39}, {"mhtm", 39}, {"mpeg", 34}, {"mpe", 34}, {"m1v", 34},  {"enc", 34},  {"mpv2", 34},
    {"dsp", 9},    {"mdp", 9},   {"dsw", 9},   {"ra", 43},  {"ram", 43},  {"rm", 43},   {"rmm", 43},
    {"rc", 7},     {"rct", 7},   {"sct", 44},  {"cat", 45}, {"crt", 46},  {"cer", 46},  {"spc", 46},
    {"aiff", 47},  {"aif", 47},  {"aifc", 47}, {"au", 43},  {"snd", 43},  {"mov", 48},  {"rar", 12},
    {"zip", 13},   {"cab", 13},  {"tar", 13},  {"tgz", 13}, {"lzh", 74},  {"arj", 74},  {"pak", 74},
    {"ha", 74},    {"xbm", 49},  {"cda", 50},  {"avi", 51}, {"gra", 52},  {"doc", 53},  {"ofn", 54},
    {"wav", 55},   {"icm", 76},  {"wbk", 57},  {"rmi", 59}, {"mid", 59},  {"wll", 60},  {"idf", 61},
    {"lnk", 11},   {"odl", 42},  {"wiz", 58},  {"prc", 73}, {"grp", 75},  {"bat", 62},  {"inf", 33},
    {"ini", 33},   {"nws", 63},  {"eml", 64},  {"fnd", 65}, {"ht", 66},   {"fon", 67},  {"ttf", 68},
    {"dun", 69},   {"shs", 70},  {"shb", 70},  {"p7r", 46}, {"p7c", 46},  {"pif", 71},  {"scr", 72},
};

int LookupImage(const std::string& extension) {
    for (const ExtensionImage& entry : ExtensionImageTable) {
        if (extension == entry.extension) {
            return entry.image;
        }
    }
    return kDefaultFileImage;
}

std::string ToLower(std::string text) {
    if (!text.empty()) {
        CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

std::string ExtensionOf(const std::string& name) {
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : ToLower(name.substr(dot + 1));
}

std::uint64_t FileSizeOf(const WIN32_FIND_DATAA& entry) {
    return (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

std::string FormatSize(std::uint64_t bytes) {
    char text[100];
    std::snprintf(text, sizeof(text), "%.2fKb", static_cast<double>(bytes) / 1024.0);
    return text;
}

std::string FormatDate(const SYSTEMTIME& time) {
    char text[100];
    std::snprintf(text, sizeof(text), "%02u.%02u.%04u", time.wMonth, time.wDay, time.wYear);
    return text;
}

std::string FormatTime(const SYSTEMTIME& time) {
    unsigned hour = time.wHour % 12 == 0 ? 12 : time.wHour % 12;
    char text[100];
    std::snprintf(text, sizeof(text), "%02u:%02u %s", hour, time.wMinute, time.wHour < 12 ? "AM" : "PM");
    return text;
}

namespace {

TIME_ZONE_INFORMATION CurrentTimeZone() {
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    return zone;
}

} // namespace

SYSTEMTIME LocalTimeOf(const FILETIME& time) {
    // Read once: looking the zone up for each of thousands of files makes a long list slow to open.
    static const TIME_ZONE_INFORMATION zone = CurrentTimeZone();
    SYSTEMTIME universal = {};
    SYSTEMTIME local = {};
    FileTimeToSystemTime(&time, &universal);
    // The zone's rule for that date (summer time or not), not the one in force today.
    if (!SystemTimeToTzSpecificLocalTime(&zone, &universal, &local)) {
        return universal;
    }
    return local;
}

namespace {

// The full long path without a trailing backslash.
std::string ComparablePath(const std::string& path) {
    std::string full = win::FullPathName(path);
    if (full.size() >= MAX_PATH) {
        return std::string();
    }
    char longPath[MAX_PATH] = {};
    DWORD length = GetLongPathNameA(full.c_str(), longPath, sizeof(longPath));
    if (length > 0 && length < sizeof(longPath)) {
        full.assign(longPath, length);
    }
    return win::WithoutTrailingBackslashes(full);
}

} // namespace

bool IsSameFile(const std::string& first, const std::string& second) {
    std::optional<win::FileIdentity> a = win::IdentityOf(first);
    return a && a == win::IdentityOf(second);
}

bool IsSameFolder(const std::string& first, const std::string& second) {
    if (win::FolderExists(first) && win::FolderExists(second)) {
        std::optional<win::FileIdentity> a = win::IdentityOf(first, win::EntryKind::Folder);
        std::optional<win::FileIdentity> b = win::IdentityOf(second, win::EntryKind::Folder);
        if (a && b) {
            return *a == *b;
        }
    }
    std::string comparable = ComparablePath(first);
    return !comparable.empty() && win::SameName(comparable, ComparablePath(second));
}

bool CopyReplacing(const std::string& source, const std::string& target) {
    if (IsSameFile(source, target)) {
        return false;
    }
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != FALSE;
}

bool CopyWithoutReplacing(const std::string& source, const std::string& target) {
    return CopyFileA(source.c_str(), target.c_str(), TRUE) != FALSE;
}

bool CanCreateFileIn(const std::string& folder) {
    const std::string stem =
        win::JoinPath(folder, "~KestrinManager" + std::to_string(GetCurrentProcessId()) + "-");
    for (int attempt = 0; attempt < 10; ++attempt) {
        // Deleted by the platform when the handle closes.
        win::File probe(CreateFileA((stem + std::to_string(attempt) + ".tmp").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                    nullptr));
        if (probe) {
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

bool DeleteFileIfPresent(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    return DeleteFileA(path.c_str()) != FALSE;
}

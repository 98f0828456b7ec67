#include "manager/OutgoingFiles.h"

#include <cstdio>

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

#include "files/Platform.h"

#include <ctime>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace files {
namespace {

formats::LocalTime FromTm(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

formats::LocalTime LocalTimeOf(std::time_t time) {
    std::tm tm = {};
#ifdef _WIN32
    localtime_s(&tm, &time);
#else
    localtime_r(&time, &tm);
#endif
    return FromTm(tm);
}

// Days from 1904-01-01 to the given date of the proleptic Gregorian calendar.
int64_t DaysSince1904(int year, int month, int day) {
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    constexpr int64_t kDays0000To1904 = 695361; // 1904-01-01, counted from 0000-03-01
    return era * 146097 + dayOfEra - kDays0000To1904;
}

#ifdef _WIN32
using Stat = struct _stat64;
int StatPath(const std::string& path, Stat& st) {
    return _stat64(path.c_str(), &st);
}
#else
using Stat = struct stat;
int StatPath(const std::string& path, Stat& st) {
    return stat(path.c_str(), &st);
}
#endif

} // namespace

bool ReadSourceFile(const std::string& path, SourceFile& out) {
    Stat st = {};
    if (StatPath(path, st) != 0 || (st.st_mode & S_IFMT) != S_IFREG) {
        return false;
    }
    out.size = static_cast<uint64_t>(st.st_size);
    out.lastWrite = LocalTimeOf(st.st_mtime);
    return true;
}

bool IsFolder(const std::string& path) {
    Stat st = {};
    return StatPath(path, st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool PathExists(const std::string& path) {
    Stat st = {};
    return StatPath(path, st) == 0;
}

std::FILE* CreateNewFile(const std::string& path) {
#ifdef _WIN32
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
    if (descriptor < 0) {
        CloseHandle(file);
        return nullptr;
    }
    return _fdopen(descriptor, "wb");
#else
    int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
#endif
}

Placed PlaceFile(const std::string& from, const std::string& to, bool replace) {
#ifdef _WIN32
    if (MoveFileExA(from.c_str(), to.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
        return Placed::Done;
    }
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Placed::Exists : Placed::Failed;
#else
    if (replace) {
        return std::rename(from.c_str(), to.c_str()) == 0 ? Placed::Done : Placed::Failed;
    }
    // A second name, then the first one goes: a file that appeared meanwhile is never replaced.
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return Placed::Done;
    }
    if (errno == EEXIST) {
        return Placed::Exists;
    }
    // File systems without hard links: the check and the rename are then two steps.
    if (PathExists(to)) {
        return Placed::Exists;
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? Placed::Done : Placed::Failed;
#endif
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

formats::LocalTime LocalNow() {
    return LocalTimeOf(std::time(nullptr));
}

uint32_t PalmTimeNow() {
    formats::LocalTime now = LocalNow();
    int64_t seconds =
        DaysSince1904(now.year, now.month, now.day) * 86400 + now.hour * 3600 + now.minute * 60 + now.second;
    return static_cast<uint32_t>(seconds);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder == ".") {
        return name;
    }
    char last = folder.back();
#ifdef _WIN32
    bool separated = last == '/' || last == '\\' || last == ':';
    return separated ? folder + name : folder + "\\" + name;
#else
    return last == '/' ? folder + name : folder + "/" + name;
#endif
}

std::string BaseName(const std::string& path) {
#ifdef _WIN32
    size_t separator = path.find_last_of("/\\:");
#else
    size_t separator = path.find_last_of('/');
#endif
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace files

#include "tests/palm/PalmTestSupport.h"

#include <cstdio>

namespace palmtest {
namespace {

long long DaysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    long long era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra);
}

} // namespace

std::vector<BYTE> ReadWholeFile(const std::string& path) {
    std::vector<BYTE> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    bytes.resize(GetFileSize(file, nullptr));
    DWORD done = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr)) {
        done = 0;
    }
    bytes.resize(done);
    CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD done = 0;
    bool ok =
        bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                          done == bytes.size());
    CloseHandle(file);
    return ok;
}

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

std::vector<BYTE> Pattern(size_t size, unsigned seed) {
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<BYTE>((i * 7 + seed * 13 + i / 251) & 0xFF);
    }
    return bytes;
}

DWORD BE32(const std::vector<BYTE>& bytes, size_t offset) {
    return static_cast<DWORD>(bytes.at(offset)) << 24 | static_cast<DWORD>(bytes.at(offset + 1)) << 16 |
           static_cast<DWORD>(bytes.at(offset + 2)) << 8 | bytes.at(offset + 3);
}

WORD BE16(const std::vector<BYTE>& bytes, size_t offset) {
    return static_cast<WORD>(bytes.at(offset) << 8 | bytes.at(offset + 1));
}

unsigned long long SecondsSince1904(const SYSTEMTIME& time) {
    long long days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) - DaysFromCivil(1904, 1, 1);
    return static_cast<unsigned long long>(days) * 86400ull + time.wHour * 3600ull + time.wMinute * 60ull +
           time.wSecond;
}

} // namespace palmtest

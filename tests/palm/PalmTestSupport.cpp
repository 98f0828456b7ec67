#include "tests/palm/PalmTestSupport.h"

#include <doctest/doctest.h>

#include <cstdio>
#include <cstring>

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
    return testsupport::WriteBytes(path, std::string(bytes.begin(), bytes.end()));
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

AttachedHandheld::AttachedHandheld() {
    REQUIRE(EmuAttachHandheld(folder.path().c_str()));
}

long CreateDatabase(const std::string& name, BYTE& handle, DWORD type, DWORD creator, WORD version,
                    DWORD flags) {
    CDbCreateDB create = {};
    create.m_Creator = creator;
    create.m_Flags = flags;
    create.m_Type = type;
    create.m_Version = version;
    std::strncpy(create.m_Name, name.c_str(), sizeof(create.m_Name) - 1);
    long result = SyncCreateDB(&create);
    handle = create.m_FileHandle;
    return result;
}

long WriteNewRecord(BYTE handle, const std::vector<BYTE>& bytes, DWORD* id, BYTE attributes, short category) {
    std::vector<BYTE> copy = bytes;
    CRawRecordInfo record = {};
    record.m_FileHandle = handle;
    record.m_Attribs = attributes;
    record.m_CatId = category;
    record.m_RecSize = static_cast<DWORD>(copy.size());
    record.m_TotalBytes = static_cast<WORD>(copy.size());
    record.m_pBytes = copy.data();
    long result = SyncWriteRec(&record);
    if (id != nullptr) {
        *id = record.m_RecId;
    }
    return result;
}

long ReadRecord(BYTE handle, WORD index, WORD capacity, std::vector<BYTE>& out, CRawRecordInfo* info) {
    std::vector<BYTE> buffer(capacity + 1u, 0xEE);
    CRawRecordInfo record = {};
    record.m_FileHandle = handle;
    record.m_RecIndex = index;
    record.m_TotalBytes = capacity;
    record.m_pBytes = buffer.data();
    long result = SyncReadRecordByIndex(&record);
    CHECK(buffer[capacity] == 0xEE);
    out.assign(buffer.begin(), buffer.begin() + (result == 0 ? record.m_RecSize : 0));
    if (info != nullptr) {
        *info = record;
    }
    return result;
}

void MakeDatabase(const std::string& name, const std::vector<std::vector<BYTE>>& records) {
    BYTE handle = 0;
    REQUIRE(CreateDatabase(name, handle) == 0);
    for (const auto& record : records) {
        REQUIRE(WriteNewRecord(handle, record) == 0);
    }
    REQUIRE(SyncCloseDB(handle) == 0);
}

int CountRecords(const std::string& name) {
    BYTE handle = 0;
    if (SyncOpenDB(name.c_str(), 0, &handle, eDbRead | eDbShowSecret) != 0) {
        return -1;
    }
    int count = 0;
    std::vector<BYTE> bytes;
    while (ReadRecord(handle, static_cast<WORD>(count), 0, bytes) == 0) {
        ++count;
    }
    SyncCloseDB(handle);
    return count;
}

CSyncPreference TransferCountPreference(BYTE (&data)[42]) {
    CSyncPreference pref = {};
    pref.m_Creator = kCreatorKestrin;
    pref.m_ReqBytes = sizeof(data);
    pref.m_Backup = 1;
    pref.m_dwDataSize = sizeof(data);
    pref.m_pData = data;
    return pref;
}

long CloseWhileHeld(BYTE handle, const std::string& path) {
    HANDLE holder =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(holder != INVALID_HANDLE_VALUE);
    long closed = SyncCloseDB(handle);
    CloseHandle(holder);
    return closed;
}

} // namespace palmtest

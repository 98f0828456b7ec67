#include "emulated/palm/storage/FileIo.h"

#include <vector>

namespace palm {

win::File OpenForReading(const std::string& path) {
    return win::File(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadAt(HANDLE file, DWORD offset, void* buffer, DWORD size) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) {
        return false;
    }
    DWORD done = 0;
    return ReadFile(file, buffer, size, &done, nullptr) && done == size;
}

bool WriteAll(HANDLE file, const void* buffer, DWORD size) {
    DWORD done = 0;
    return WriteFile(file, buffer, size, &done, nullptr) && done == size;
}

bool WriteAt(HANDLE file, DWORD offset, const void* buffer, DWORD size) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && WriteAll(file, buffer, size);
}

bool SmallFileSize(HANDLE file, DWORD& size) {
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file, &length) || length.QuadPart < 0 || length.QuadPart > 0x7FFFFFFF) {
        return false;
    }
    size = static_cast<DWORD>(length.QuadPart);
    return true;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

constexpr size_t kPooledScratchFiles = 4;

DWORD stepsLeft = 0;

} // namespace

void StorageStep() {
    if (stepsLeft != 0 && --stepsLeft == 0) {
        TerminateProcess(GetCurrentProcess(), 9);
    }
}

void EndProcessAtStep(DWORD nth) {
    stepsLeft = nth;
}

namespace {

std::vector<win::File>& ScratchPool() {
    static std::vector<win::File> pool;
    return pool;
}

} // namespace

win::File TakeScratchFile() {
    std::vector<win::File>& pool = ScratchPool();
    if (!pool.empty()) {
        win::File file = std::move(pool.back());
        pool.pop_back();
        return file;
    }
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || !GetTempFileNameA(folder, "pdb", 0, path)) {
        return win::File();
    }
    return win::File(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

void ReturnScratchFile(win::File file) {
    std::vector<win::File>& pool = ScratchPool();
    LARGE_INTEGER start = {};
    if (file && pool.size() < kPooledScratchFiles &&
        SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) && SetEndOfFile(file.get())) {
        pool.push_back(std::move(file));
    }
}

} // namespace palm

// Figures of the emulated handheld (SYNC20.dll over palm_storage) under Wine: throughput of a
// large file database against CopyFileA, memory of a small and a large transfer, and the cost per
// database as the handheld fills up.
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "tests/support/Files.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPiece = 32768;

double Seconds() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string Scratch(const char* name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "palm-bench-" + name;
}

void MakeFile(const std::string& path, DWORD size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<BYTE> piece(kPiece);
    for (DWORD offset = 0; offset < size; offset += kPiece) {
        for (DWORD i = 0; i < kPiece; ++i) {
            piece[i] = static_cast<BYTE>(offset / kPiece + i);
        }
        DWORD done = 0;
        WriteFile(file, piece.data(), size - offset < kPiece ? size - offset : kPiece, &done, nullptr);
    }
    CloseHandle(file);
}

// The conduit's send: a header record, then the file in pieces of 32 768 bytes.
bool Send(const std::string& path, const char* name) {
    CDbCreateDB create = {};
    create.m_Creator = 0x76714B54;
    create.m_Type = 0x44615461;
    create.m_Version = 10;
    lstrcpynA(create.m_Name, name, sizeof(create.m_Name));
    if (SyncCreateDB(&create) != 0) {
        return false;
    }
    std::vector<BYTE> header(64);
    CRawRecordInfo record = {};
    record.m_FileHandle = create.m_FileHandle;
    record.m_Attribs = 0x40;
    record.m_RecSize = 64;
    record.m_pBytes = header.data();
    bool ok = SyncWriteRec(&record) == 0;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<BYTE> piece(kPiece);
    DWORD done = 0;
    while (ok && ReadFile(file, piece.data(), kPiece, &done, nullptr) && done > 0) {
        record.m_RecId = 0;
        record.m_RecSize = done;
        record.m_pBytes = piece.data();
        ok = SyncWriteRec(&record) == 0;
    }
    CloseHandle(file);
    return SyncCloseDB(create.m_FileHandle) == 0 && ok;
}

// The conduit's receive: records 1, 2, ... appended to a PC file.
bool Receive(const char* name, const std::string& path) {
    BYTE handle = 0;
    if (SyncOpenDB(name, 0, &handle, 0x90) != 0) {
        return false;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<BYTE> piece(kPiece);
    CRawRecordInfo record = {};
    record.m_FileHandle = handle;
    record.m_TotalBytes = static_cast<WORD>(kPiece - 1);
    for (WORD index = 1;; ++index) {
        record.m_RecIndex = index;
        record.m_TotalBytes = 0xFFFF > kPiece ? static_cast<WORD>(kPiece) : 0;
        record.m_pBytes = piece.data();
        if (SyncReadRecordByIndex(&record) != 0) {
            break;
        }
        DWORD done = 0;
        WriteFile(file, piece.data(), record.m_RecSize, &done, nullptr);
    }
    CloseHandle(file);
    return SyncCloseDB(handle) == 0;
}

// What any transfer costs on the PC alone: the file read and written again in 32 768-byte pieces.
double PieceCopySeconds(const std::string& from, const std::string& to) {
    double start = Seconds();
    HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<BYTE> piece(kPiece);
    DWORD done = 0;
    while (ReadFile(in, piece.data(), kPiece, &done, nullptr) && done > 0) {
        WriteFile(out, piece.data(), done, &done, nullptr);
    }
    CloseHandle(in);
    CloseHandle(out);
    return Seconds() - start;
}

SIZE_T PeakMemory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakPagefileUsage;
}

void Throughput(const std::string& handheld, DWORD size) {
    std::string source = Scratch("source.bin");
    std::string copy = Scratch("copy.bin");
    std::string back = Scratch("back.bin");
    MakeFile(source, size);
    EmuAttachHandheld(handheld.c_str());
    double start = Seconds();
    CopyFileA(source.c_str(), copy.c_str(), FALSE);
    double copySeconds = Seconds() - start;
    double pieceSeconds = PieceCopySeconds(source, copy);
    start = Seconds();
    bool sent = Send(source, "big.bin");
    double sendSeconds = Seconds() - start;
    start = Seconds();
    bool received = Receive("big.bin", back);
    double receiveSeconds = Seconds() - start;
    std::printf("%lu MiB: copy in 32 KiB pieces %.3f s\n", size >> 20, pieceSeconds);
    std::printf("%lu MiB: CopyFileA %.3f s; send %.3f s (ratio %.2f)%s; receive %.3f s (ratio %.2f)%s\n",
                size >> 20, copySeconds, sendSeconds, copySeconds / sendSeconds, sent ? "" : " FAILED",
                receiveSeconds, copySeconds / receiveSeconds, received ? "" : " FAILED");
    SyncDeleteDB("big.bin", 0);
    DeleteFileA(source.c_str());
    DeleteFileA(copy.c_str());
    DeleteFileA(back.c_str());
}

double PerDatabase(const std::string& handheld, int count) {
    testsupport::RemoveTree(handheld);
    EmuAttachHandheld(handheld.c_str());
    std::string source = Scratch("small.txt");
    MakeFile(source, 100);
    double start = Seconds();
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "file%05d.txt", i);
        SyncFindDbByNameParams params = {0x80, 0, name};
        SyncDatabaseInfoType info = {};
        CCardInfo card = {};
        SyncFindDbByName(&params, &info);
        SyncReadSingleCardInfo(&card);
        Send(source, name);
    }
    double perFile = (Seconds() - start) / count;
    DeleteFileA(source.c_str());
    return perFile;
}

} // namespace

int main() {
    std::string handheld = Scratch("handheld");
    testsupport::RemoveTree(handheld);

    SIZE_T before = PeakMemory();
    Throughput(handheld, 1u << 20);
    SIZE_T afterSmall = PeakMemory();
    Throughput(handheld, 64u << 20);
    SIZE_T afterLarge = PeakMemory();
    std::printf("peak memory: +%lu KiB after 1 MiB, +%lu KiB more after 64 MiB\n",
                static_cast<unsigned long>((afterSmall - before) >> 10),
                static_cast<unsigned long>((afterLarge - afterSmall) >> 10));

    double per200 = PerDatabase(handheld, 200);
    double per2000 = PerDatabase(handheld, 2000);
    std::printf("per database: %.2f ms with 200, %.2f ms with 2000 (ratio %.2f)\n", per200 * 1000,
                per2000 * 1000, per2000 / per200);
    testsupport::RemoveTree(handheld);
    return 0;
}

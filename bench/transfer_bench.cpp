// Transfer benchmark: drives KestrinConduit.dll over the emulated handheld the way HotSync Manager
// does (OpenConduit) and prints one figure per run mode:
//   throughput MIB  send and receive time of one MIB-MiB file, CopyFileA of the same bytes, a move
//                   of them (CopyFileA then DeleteFileA, what a send does to the PC's file at best),
//                   the emulated handheld's own time to store that many bytes, and a bare send (the
//                   file read into a new database and deleted, no conduit) (best of five each)
//   memory MIB      peak working set and peak pagefile use of a process that sends and receives it
//   files COUNT     time of one synchronisation that sends COUNT small files, and the emulated
//                   handheld's own time for the same database work on an empty handheld
// It runs from the build's bin folder, beside the conduit and the emulated Palm DLLs.
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "tests/support/Files.h"
#include "win/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::ProgramFolder;
using testsupport::RemoveTree;

typedef long(__cdecl* OpenConduitFn)(long(__cdecl*)(char*), void*);

constexpr DWORD kMiB = 1024 * 1024;
constexpr DWORD kCreator = 0x76714B54; // 'vqKT'
constexpr const char* kSettingsKey = "Software\\Orvelle\\Kestrin";

// The conduit as HotSync Manager loads it; it shares this program's SYNC20.dll.
struct Conduit {
    HMODULE conduit = nullptr;
    OpenConduitFn open = nullptr;
};

long __cdecl Progress(char*) {
    return 0;
}

bool LoadConduit(Conduit& c) {
    c.conduit = LoadLibraryA((ProgramFolder() + "\\KestrinConduit.dll").c_str());
    c.open = c.conduit ? win::ProcAddress<OpenConduitFn>(c.conduit, "OpenConduit") : nullptr;
    return c.open != nullptr;
}

// A work folder with outbox, inbox and handheld, the settings pointing at them.
struct Work {
    std::string root, outbox, inbox, handheld;
};

Work MakeWork() {
    Work work;
    work.root = ProgramFolder() + "\\transfer-bench-" + std::to_string(GetCurrentProcessId());
    RemoveTree(work.root);
    work.outbox = work.root + "\\outbox";
    work.inbox = work.root + "\\inbox";
    work.handheld = work.root + "\\handheld";
    CreateDirectoryA(work.root.c_str(), nullptr);
    CreateDirectoryA(work.outbox.c_str(), nullptr);
    CreateDirectoryA(work.inbox.c_str(), nullptr);
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key);
    RegSetValueExA(key, "FolderForSFiles", 0, REG_SZ, reinterpret_cast<const BYTE*>(work.outbox.c_str()),
                   static_cast<DWORD>(work.outbox.size() + 1));
    RegSetValueExA(key, "FolderForRFiles", 0, REG_SZ, reinterpret_cast<const BYTE*>(work.inbox.c_str()),
                   static_cast<DWORD>(work.inbox.size() + 1));
    DWORD zero = 0;
    for (const char* name : {"FromPalmToPC", "FromPCToPalm", "Archiver"}) {
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof(zero));
    }
    RegCloseKey(key);
    EmuAttachHandheld(work.handheld.c_str());
    EmuSetFreeRam(0xFFFFFFFF);
    return work;
}

void EndWork(const Work& work) {
    EmuAttachHandheld(nullptr);
    RemoveTree(work.root);
}

// Writes `size` bytes in 1 MiB pieces, so the writer's own memory does not grow with the file.
bool WriteFileOfSize(const std::string& path, ULONGLONG size, unsigned seed) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::vector<char> piece(kMiB);
    bool written = true;
    for (ULONGLONG offset = 0; offset < size && written; offset += piece.size()) {
        for (size_t i = 0; i < piece.size(); i += 4) {
            DWORD value = static_cast<DWORD>((offset + i) * 2654435761u + seed);
            std::memcpy(&piece[i], &value, 4);
        }
        DWORD count = static_cast<DWORD>(size - offset < piece.size() ? size - offset : piece.size());
        DWORD done = 0;
        written = WriteFile(file, piece.data(), count, &done, nullptr) && done == count;
    }
    CloseHandle(file);
    return written;
}

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Body> double Time(Body body) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    body();
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

long Synchronise(Conduit& c) {
    std::vector<BYTE> properties(2048);
    return c.open(Progress, properties.data());
}

bool WriteRecord(BYTE handle, const void* data, DWORD size) {
    CRawRecordInfo record = {};
    record.m_FileHandle = handle;
    record.m_RecSize = size;
    record.m_TotalBytes = static_cast<WORD>(size);
    record.m_pBytes = static_cast<BYTE*>(const_cast<void*>(data));
    return SyncWriteRec(&record) == 0;
}

bool CreateDatabase(const char* name, DWORD type, BYTE& handle) {
    CDbCreateDB create = {};
    create.m_Creator = kCreator;
    create.m_Type = type;
    std::strcpy(create.m_Name, name);
    bool created = SyncCreateDB(&create) == 0;
    handle = create.m_FileHandle;
    return created;
}

// Queues a file database for the PC the way the handheld application does.
bool QueueForPc(const char* name) {
    BYTE handle = 0;
    if (!CreateDatabase("KestrinDatabaseFiles", 0x44415441 /* 'DATA' */, handle)) {
        return false;
    }
    BYTE count[4] = {0, 0, 0, 1};
    std::string nameRecord = std::string(name) + '\0';
    bool written = WriteRecord(handle, count, 4) &&
                   WriteRecord(handle, nameRecord.data(), static_cast<DWORD>(nameRecord.size()));
    return SyncCloseDB(handle) == 0 && written;
}

// The emulated handheld's own cost of storing `size` bytes in 32 768-byte records, with no PC file
// behind them: the floor under any send.
double HandheldStoreSeconds(ULONGLONG size) {
    std::vector<BYTE> record(32768, 0x5A);
    return Time([&] {
        BYTE handle = 0;
        if (!CreateDatabase("floor.bin", 0x44615461 /* 'DaTa' */, handle)) {
            return;
        }
        for (ULONGLONG offset = 0; offset < size; offset += record.size()) {
            WriteRecord(handle, record.data(), static_cast<DWORD>(record.size()));
        }
        SyncCloseDB(handle);
    });
}

// What a send asks at the least: the PC file read in 32 768-byte pieces into records of a new
// database, the database closed and the file deleted, with nothing of the conduit around it.
double BareSendSeconds(const std::string& path) {
    std::vector<BYTE> record(32768);
    return Time([&] {
        HANDLE file =
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        BYTE handle = 0;
        if (file == INVALID_HANDLE_VALUE || !CreateDatabase("bare.bin", 0x44615461 /* 'DaTa' */, handle)) {
            return;
        }
        DWORD read = 0;
        while (ReadFile(file, record.data(), static_cast<DWORD>(record.size()), &read, nullptr) && read > 0) {
            WriteRecord(handle, record.data(), read);
        }
        CloseHandle(file);
        SyncCloseDB(handle);
        DeleteFileA(path.c_str());
    });
}

bool SameFileSize(const std::string& path, ULONGLONG size) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           ((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) == size;
}

struct RoundTrip {
    double copy = 0, move = 0, send = 0, receive = 0, store = 0, bareSend = 0;
};

// Sends one file of `mib` MiB and receives it back; the times of both and of CopyFileA.
bool SendAndReceive(Conduit& c, DWORD mib, RoundTrip& times) {
    Work work = MakeWork();
    ULONGLONG size = static_cast<ULONGLONG>(mib) * kMiB;
    std::string source = work.outbox + "\\payload.bin";
    if (!WriteFileOfSize(source, size, 7)) {
        std::printf("error: cannot write %s\n", source.c_str());
        return false;
    }
    std::string copy = work.root + "\\copy.bin";
    times.copy = Time([&] { CopyFileA(source.c_str(), copy.c_str(), FALSE); });
    std::string moved = work.root + "\\moved.bin";
    times.move = Time([&] {
        CopyFileA(copy.c_str(), moved.c_str(), FALSE);
        DeleteFileA(copy.c_str());
    });
    DeleteFileA(moved.c_str());
    times.send = Time([&] { Synchronise(c); });
    bool sent = GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES;
    QueueForPc("payload.bin");
    times.receive = Time([&] { Synchronise(c); });
    bool received = SameFileSize(work.inbox + "\\payload.bin", size);
    times.store = HandheldStoreSeconds(size);
    // The floors last, so that their files weigh on none of the figures above.
    std::string bare = work.root + "\\bare.bin";
    times.bareSend = WriteFileOfSize(bare, size, 11) ? BareSendSeconds(bare) : 0;
    EndWork(work);
    if (!sent || !received) {
        std::printf("error: the file did not make the round trip (sent %d, received %d)\n", sent, received);
    }
    return sent && received;
}

// The fastest of five round trips for each figure: the machine may be busy with other work.
int Throughput(Conduit& c, DWORD mib) {
    RoundTrip best;
    for (int run = 0; run < 5; ++run) {
        RoundTrip times;
        if (!SendAndReceive(c, mib, times)) {
            return 1;
        }
        best.copy = run == 0 || times.copy < best.copy ? times.copy : best.copy;
        best.move = run == 0 || times.move < best.move ? times.move : best.move;
        best.bareSend = run == 0 || times.bareSend < best.bareSend ? times.bareSend : best.bareSend;
        best.send = run == 0 || times.send < best.send ? times.send : best.send;
        best.receive = run == 0 || times.receive < best.receive ? times.receive : best.receive;
        best.store = run == 0 || times.store < best.store ? times.store : best.store;
    }
    double mb = static_cast<double>(mib);
    std::printf("copy %.3f s %.0f MiB/s\n", best.copy, mb / best.copy);
    std::printf("move %.3f s %.0f MiB/s\n", best.move, mb / best.move);
    std::printf("send %.3f s %.0f MiB/s ratio %.2f\n", best.send, mb / best.send, best.copy / best.send);
    std::printf("send-against-move ratio %.2f\n", best.move / best.send);
    std::printf("bare-send %.3f s %.0f MiB/s against-move ratio %.2f\n", best.bareSend, mb / best.bareSend,
                best.move / best.bareSend);
    std::printf("receive %.3f s %.0f MiB/s ratio %.2f\n", best.receive, mb / best.receive,
                best.copy / best.receive);
    std::printf("handheld-store %.3f s %.0f MiB/s ratio %.2f\n", best.store, mb / best.store,
                best.copy / best.store);
    return 0;
}

int PeakMemory(Conduit& c, DWORD mib) {
    RoundTrip times;
    if (!SendAndReceive(c, mib, times)) {
        return 1;
    }
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
        std::printf("error: no memory counters\n");
        return 1;
    }
    std::printf("peak-working-set %lu peak-pagefile %lu\n",
                static_cast<unsigned long>(counters.PeakWorkingSetSize),
                static_cast<unsigned long>(counters.PeakPagefileUsage));
    return 0;
}

// The emulated handheld's own cost of what a send of `count` small files asks of it: a find, a
// create, two records and a close per file.
double HandheldFilesSeconds(DWORD count) {
    std::vector<BYTE> header(64), data(1000);
    return Time([&] {
        for (DWORD i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof(name), "g%05lu.txt", static_cast<unsigned long>(i));
            SyncFindDbByNameParams request = {eFindByNameOptGetAttributes, 0, name};
            SyncDatabaseInfoType reply = {};
            SyncFindDbByName(&request, &reply);
            BYTE handle = 0;
            if (CreateDatabase(name, 0x44615461, handle)) {
                WriteRecord(handle, header.data(), 64);
                WriteRecord(handle, data.data(), 1000);
                SyncCloseDB(handle);
            }
        }
    });
}

int ManyFiles(Conduit& c, DWORD count) {
    Work work = MakeWork();
    for (DWORD i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof(name), "\\f%05lu.txt", static_cast<unsigned long>(i));
        WriteFileOfSize(work.outbox + name, 1000, i);
    }
    // The handheld alone first, on an empty handheld of its own; then the synchronisation on another.
    EmuAttachHandheld((work.root + "\\handheld-alone").c_str());
    double handheldSeconds = HandheldFilesSeconds(count);
    EmuAttachHandheld(work.handheld.c_str());
    EmuSetFreeRam(0xFFFFFFFF);
    double seconds = Time([&] { Synchronise(c); });
    WIN32_FIND_DATAA entry = {};
    HANDLE find = FindFirstFileA((work.outbox + "\\*.txt").c_str(), &entry);
    bool allSent = find == INVALID_HANDLE_VALUE;
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
    }
    EndWork(work);
    if (!allSent) {
        std::printf("error: not every file was sent\n");
        return 1;
    }
    std::printf("files %lu total %.3f s per-file %.3f ms handheld-alone %.3f ms\n",
                static_cast<unsigned long>(count), seconds, 1000.0 * seconds / count,
                1000.0 * handheldSeconds / count);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: transfer_bench throughput|memory|files N\n");
        return 2;
    }
    Conduit c;
    if (!LoadConduit(c)) {
        std::printf("error: cannot load KestrinConduit.dll and SYNC20.dll beside this program\n");
        return 1;
    }
    std::string mode = argv[1];
    DWORD n = std::strtoul(argv[2], nullptr, 10);
    if (mode == "throughput") {
        return Throughput(c, n);
    }
    if (mode == "memory") {
        return PeakMemory(c, n);
    }
    if (mode == "files") {
        return ManyFiles(c, n);
    }
    return 2;
}

// unrar.dll benchmark: prints one figure per run mode.
//   throughput MIB  time to extract one MIB-MiB stored entry through unrar.dll, and CopyFileA of a
//                   plain file of the same bytes (best of five each, taken in turns)
//   memory MIB      peak working set and peak pagefile use of a process that extracts such an entry
// It runs from the build's bin folder, beside unrar.dll, and works in the temporary folder.
#include "interfaces/unrar/unrar.h"
#include "tests/unrar/RarBuilder.h"
#include "unrar/Crc32.h"
#include "win/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kMiB = 1024 * 1024;

struct Unrar {
    HMODULE module = nullptr;
    RAROpenArchiveFn open = nullptr;
    RARReadHeaderFn readHeader = nullptr;
    RARProcessFileFn processFile = nullptr;
    RARCloseArchiveFn close = nullptr;
};

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path);
    return program.substr(0, program.rfind('\\'));
}

Unrar LoadUnrar() {
    Unrar unrar;
    unrar.module = LoadLibraryA((ProgramFolder() + "\\unrar.dll").c_str());
    if (!unrar.module) {
        std::fprintf(stderr, "cannot load unrar.dll\n");
        std::exit(1);
    }
    unrar.open = win::ProcAddress<RAROpenArchiveFn>(unrar.module, "RAROpenArchive");
    unrar.readHeader = win::ProcAddress<RARReadHeaderFn>(unrar.module, "RARReadHeader");
    unrar.processFile = win::ProcAddress<RARProcessFileFn>(unrar.module, "RARProcessFile");
    unrar.close = win::ProcAddress<RARCloseArchiveFn>(unrar.module, "RARCloseArchive");
    return unrar;
}

// The header of one stored entry of `size` bytes; its data follows it in the file.
std::string FileHeader(const std::string& name, uint32_t size, uint32_t crc) {
    std::string body(25, '\0');
    rartest::PutU32(body, 0, size);
    rartest::PutU32(body, 4, size);
    body[8] = '\x02';
    rartest::PutU32(body, 9, crc);
    rartest::PutU32(body, 13, 0x5A8B6C21);
    body[17] = '\x14';
    body[18] = '\x30';
    rartest::PutU16(body, 19, static_cast<uint16_t>(name.size()));
    rartest::PutU32(body, 21, 0x20);
    return rartest::Block(0x74, 0x8000, body + name);
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

// Writes the same MIB MiB as a plain file and as the one stored entry of an archive, a MiB at a time.
void MakeFiles(const std::string& plain, const std::string& archive, DWORD mib) {
    HANDLE plainFile = CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    HANDLE rarFile = CreateFileA(archive.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (plainFile == INVALID_HANDLE_VALUE || rarFile == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot create the bench files\n");
        std::exit(1);
    }
    std::string start = rartest::kMarker + rartest::MainHeader();
    std::string header = FileHeader("entry.bin", mib * kMiB, 0);
    WriteAll(rarFile, start.data(), static_cast<DWORD>(start.size()));
    WriteAll(rarFile, header.data(), static_cast<DWORD>(header.size()));
    std::vector<unsigned char> chunk(kMiB);
    uint32_t seed = 12345, crc = 0;
    for (DWORD i = 0; i < mib; ++i) {
        for (auto& byte : chunk) {
            seed = seed * 1103515245u + 12345u;
            byte = static_cast<unsigned char>(seed >> 16);
        }
        crc = rar::Crc32(crc, chunk.data(), chunk.size());
        WriteAll(plainFile, chunk.data(), kMiB);
        WriteAll(rarFile, chunk.data(), kMiB);
    }
    std::string end = rartest::EndBlock();
    WriteAll(rarFile, end.data(), static_cast<DWORD>(end.size()));
    header = FileHeader("entry.bin", mib * kMiB, crc);
    SetFilePointer(rarFile, static_cast<LONG>(start.size()), nullptr, FILE_BEGIN);
    WriteAll(rarFile, header.data(), static_cast<DWORD>(header.size()));
    CloseHandle(plainFile);
    CloseHandle(rarFile);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool Extract(const Unrar& unrar, const std::string& archive, const std::string& dest) {
    RAROpenArchiveData data = {};
    data.ArcName = const_cast<char*>(archive.c_str());
    data.OpenMode = RAR_OM_EXTRACT;
    HANDLE handle = unrar.open(&data);
    if (!handle) {
        return false;
    }
    RARHeaderData header = {};
    bool ok =
        unrar.readHeader(handle, &header) == ERAR_SUCCESS &&
        unrar.processFile(handle, RAR_EXTRACT, const_cast<char*>(dest.c_str()), nullptr) == ERAR_SUCCESS;
    unrar.close(handle);
    return ok;
}

struct Work {
    std::string folder, plain, archive, dest, copy;
};

Work MakeWork(const char* label) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    Work work;
    work.folder = std::string(temp) + label + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(work.folder.c_str(), nullptr);
    work.plain = work.folder + "\\plain.bin";
    work.archive = work.folder + "\\bench.rar";
    work.dest = work.folder + "\\out";
    work.copy = work.folder + "\\copy.bin";
    return work;
}

void RemoveWork(const Work& work) {
    DeleteFileA(work.plain.c_str());
    DeleteFileA(work.archive.c_str());
    DeleteFileA(work.copy.c_str());
    DeleteFileA((work.dest + "\\entry.bin").c_str());
    RemoveDirectoryA(work.dest.c_str());
    RemoveDirectoryA(work.folder.c_str());
}

int Throughput(DWORD mib) {
    Unrar unrar = LoadUnrar();
    Work work = MakeWork("unrar-bench-");
    MakeFiles(work.plain, work.archive, mib);
    double bestExtract = 1e9, bestCopy = 1e9;
    for (int round = 0; round < 5; ++round) {
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        if (!Extract(unrar, work.archive, work.dest)) {
            std::fprintf(stderr, "extraction failed\n");
            return 1;
        }
        QueryPerformanceCounter(&t1);
        if (!CopyFileA(work.plain.c_str(), work.copy.c_str(), FALSE)) {
            std::fprintf(stderr, "CopyFileA failed\n");
            return 1;
        }
        QueryPerformanceCounter(&t2);
        bestExtract = std::min(bestExtract, Seconds(t0, t1));
        bestCopy = std::min(bestCopy, Seconds(t1, t2));
        DeleteFileA((work.dest + "\\entry.bin").c_str());
        DeleteFileA(work.copy.c_str());
    }
    RemoveWork(work);
    std::printf("extract %lu MiB %.1f ms %.1f MiB/s\n", mib, bestExtract * 1000, mib / bestExtract);
    std::printf("copyfile %lu MiB %.1f ms %.1f MiB/s\n", mib, bestCopy * 1000, mib / bestCopy);
    std::printf("extract throughput / CopyFileA ratio %.2f\n", bestCopy / bestExtract);
    return 0;
}

int Memory(DWORD mib) {
    Work work = MakeWork("unrar-mem-");
    MakeFiles(work.plain, work.archive, mib);
    Unrar unrar = LoadUnrar();
    bool ok = Extract(unrar, work.archive, work.dest);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    RemoveWork(work);
    if (!ok) {
        std::fprintf(stderr, "extraction failed\n");
        return 1;
    }
    std::printf("peak-working-set %lu peak-pagefile %lu\n",
                static_cast<unsigned long>(counters.PeakWorkingSetSize),
                static_cast<unsigned long>(counters.PeakPagefileUsage));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: unrar_bench throughput|memory MIB\n");
        return 2;
    }
    DWORD mib = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    std::string mode = argv[1];
    if (mode == "throughput") {
        return Throughput(mib);
    }
    if (mode == "memory") {
        return Memory(mib);
    }
    return 2;
}

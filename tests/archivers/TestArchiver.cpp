// Test stand-in for WinZip (-a "archive" "file", -e "archive") and WinRar (a "archive" "file",
// e "archive"): appends its command line to <program>.log beside itself, then really packs or
// unpacks in the current directory, and notes its start-up window state in <program>.startup.
// With KESTRIN_TEST_ARCHIVER=fail in its environment it does nothing and fails; with =hang it writes
// its process id into <program>.running and then waits for ever, for a test to end it midway.
#include "tests/archivers/ArchiveFormats.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

#ifdef TEST_ARCHIVER_RAR
constexpr const char* kPackOption = "a";
constexpr const char* kUnpackOption = "e";
bool Pack(const std::string& archiveName, const std::string& file) {
    return archive::PackRar(archiveName, file);
}
bool Unpack(const std::string& archiveName) {
    return archive::UnpackRar(archiveName);
}
#else
constexpr const char* kPackOption = "-a";
constexpr const char* kUnpackOption = "-e";
bool Pack(const std::string& archiveName, const std::string& file) {
    return archive::PackZip(archiveName, file);
}
bool Unpack(const std::string& archiveName) {
    return archive::UnpackZip(archiveName);
}
#endif

void LogCommandLine() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string log(path);
    log = log.substr(0, log.rfind('.')) + ".log";
    if (FILE* file = std::fopen(log.c_str(), "ab")) {
        std::fprintf(file, "%s\n", GetCommandLineA());
        std::fclose(file);
    }
}

// How the archiver was asked to show its window, beside the log: "flags=1 show=0" when hidden.
void NoteStartup() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string note(path);
    note = note.substr(0, note.rfind('.')) + ".startup";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    if (FILE* file = std::fopen(note.c_str(), "wb")) {
        std::fprintf(file, "flags=%d show=%u", (startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0,
                     static_cast<unsigned>(startup.wShowWindow));
        std::fclose(file);
    }
}

void HangUntilEnded() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string note(path);
    note = note.substr(0, note.rfind('.')) + ".running";
    if (FILE* file = std::fopen(note.c_str(), "wb")) {
        std::fprintf(file, "%lu", GetCurrentProcessId());
        std::fclose(file);
    }
    Sleep(INFINITE);
}

std::string Mode() {
    const char* mode = std::getenv("KESTRIN_TEST_ARCHIVER");
    return mode ? mode : "";
}

} // namespace

// The program path may hold unquoted spaces, so the operation is found from the end.
int main(int argc, char** argv) {
    LogCommandLine();
    NoteStartup();
    if (Mode() == "fail") {
        return 1;
    }
    if (Mode() == "hang") {
        HangUntilEnded();
    }
    if (argc >= 4 && std::string(argv[argc - 3]) == kPackOption) {
        return Pack(argv[argc - 2], argv[argc - 1]) ? 0 : 1;
    }
    if (argc >= 3 && std::string(argv[argc - 2]) == kUnpackOption) {
        return Unpack(argv[argc - 1]) ? 0 : 1;
    }
    return 2;
}

// handheld.exe: plays the Kestrin handheld application against an emulated handheld folder —
// lists its databases, queues PC files for the PC, extracts file databases, makes the
// transfer-count preference, and installs and exports .pdb files as an emulator does.
#include "emulated/handheld/FileDatabase.h"
#include "emulated/handheld/Queue.h"
#include "emulated/palm/storage/Preferences.h"
#include "formats/FileNames.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

enum ExitCode { kSuccess = 0, kFailure = 1, kBadUsage = 2 };

constexpr WORD kTransferCountPreferenceId = 0;
constexpr DWORD kTransferCountPreferenceSize = 42;
constexpr WORD kTransferCountPreferenceVersion = 1;

void PrintUsage() {
    std::printf("usage:\n"
                "  handheld list FOLDER\n"
                "  handheld queue FOLDER PCFILE [--compression N] [--size BYTES]\n"
                "  handheld extract FOLDER DBNAME OUTFILE\n"
                "  handheld prefs FOLDER [--create]\n"
                "  handheld install FOLDER FILE.pdb\n"
                "  handheld export FOLDER DBNAME FILE.pdb\n"
                "FOLDER is the emulated handheld: one .pdb file per database.\n");
}

// Database names may hold any byte.
std::string Printable(const std::string& text) {
    return formats::PrintableName(text);
}

bool FolderExists(const std::string& folder) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        std::fprintf(stderr, "handheld: no handheld folder %s\n", folder.c_str());
        return false;
    }
    return true;
}

bool ParseNumber(const char* text, DWORD& value) {
    char* end = nullptr;
    unsigned long long number = std::strtoull(text, &end, 0);
    if (end == text || *end != '\0' || number > 0xFFFFFFFFull || text[0] == '-') {
        return false;
    }
    value = static_cast<DWORD>(number);
    return true;
}

int List(const std::string& folder) {
    if (!FolderExists(folder)) {
        return kFailure;
    }
    palm::HandheldFolder handheld(folder);
    std::vector<std::string> names = handheld.DatabaseNames();
    std::printf("%-33s %-6s %-7s %7s %10s\n", "name", "type", "creator", "records", "size");
    for (const std::string& name : names) {
        std::unique_ptr<palm::Database> database;
        if (handheld.Open(name, database) != palm::Status::Ok) {
            std::printf("%-33s (unreadable)\n", ("\"" + Printable(name) + "\"").c_str());
            continue;
        }
        const palm::DatabaseHeader& header = database->Header();
        std::printf("%-33s %-6s %-7s %7u %10lu\n", ("\"" + Printable(name) + "\"").c_str(),
                    Printable(palm::FourCharText(header.type)).c_str(),
                    Printable(palm::FourCharText(header.creator)).c_str(),
                    static_cast<unsigned>(database->RecordCount()), database->FileSize());
    }
    std::printf("%u database(s)\n", static_cast<unsigned>(names.size()));
    return kSuccess;
}

int Queue(const std::string& folder, const std::string& pcFile, const handheld::QueueOptions& options) {
    palm::CreateFolderPath(folder);
    if (!FolderExists(folder)) {
        return kFailure;
    }
    palm::HandheldFolder handheld(folder);
    std::string name;
    std::string error;
    if (handheld::WriteFileDatabase(handheld, pcFile, options, name, error) != palm::Status::Ok) {
        std::fprintf(stderr, "handheld: %s\n", error.c_str());
        return kFailure;
    }
    if (handheld::AppendToQueue(handheld, name, error) != palm::Status::Ok) {
        handheld.Delete(name);
        std::fprintf(stderr, "handheld: %s\n", error.c_str());
        return kFailure;
    }
    std::vector<std::string> queued;
    handheld::ReadQueue(handheld, queued);
    std::printf("queued \"%s\" (compression %lu); %u file(s) queued for the PC\n", Printable(name).c_str(),
                options.compression, static_cast<unsigned>(queued.size()));
    return kSuccess;
}

void PrintFileHeader(const handheld::FileHeader& header) {
    unsigned long modified = formats::ModificationTimeOf(header);
    unsigned long transferred = formats::TransferTimeOf(header);
    std::printf("compression:       %lu\n", static_cast<unsigned long>(formats::CompressionOf(header)));
    std::printf("file size:         %lu\n", static_cast<unsigned long>(formats::FileSizeOf(header)));
    std::printf("modification time: %lu (%02lu:%02lu:%02lu)\n", modified, modified / 3600, modified / 60 % 60,
                modified % 60 / 2);
    std::printf("transfer time:     %lu (%02lu:%02lu:%02lu)\n", transferred, transferred / 3600,
                transferred / 60 % 60, transferred % 60);
    std::printf("name:              \"%s\"\n",
                Printable(formats::FieldText(header.name, sizeof(header.name))).c_str());
    std::printf("extension:         \"%s\"\n",
                Printable(formats::FieldText(header.extension, sizeof(header.extension))).c_str());
    std::printf(
        "modification date: %s\n",
        Printable(formats::FieldText(header.modificationDate, sizeof(header.modificationDate))).c_str());
    std::printf("transfer date:     %s\n",
                Printable(formats::FieldText(header.transferDate, sizeof(header.transferDate))).c_str());
}

int Extract(const std::string& folder, const std::string& databaseName, const std::string& outFile) {
    if (!FolderExists(folder)) {
        return kFailure;
    }
    palm::HandheldFolder handheld(folder);
    handheld::FileHeader header = {};
    ULONGLONG written = 0;
    std::string error;
    if (handheld::ExtractFileDatabase(handheld, databaseName, outFile, header, written, error) !=
        palm::Status::Ok) {
        std::fprintf(stderr, "handheld: %s\n", error.c_str());
        return kFailure;
    }
    PrintFileHeader(header);
    std::printf("wrote %llu bytes to %s\n", written, outFile.c_str());
    if (formats::CompressionOf(header) == 0 && written != formats::FileSizeOf(header)) {
        std::fprintf(stderr, "handheld: the header gives %lu bytes, the records hold %llu\n",
                     static_cast<unsigned long>(formats::FileSizeOf(header)), written);
        return kFailure;
    }
    return kSuccess;
}

std::vector<BYTE> FreshTransferCounts() {
    std::vector<BYTE> data(kTransferCountPreferenceSize, 0);
    data[4] = 'K';
    data[5] = 'S';
    for (DWORD i = 6; i < kTransferCountPreferenceSize; ++i) {
        data[i] = static_cast<BYTE>(i);
    }
    return data;
}

bool CreateTransferCounts(const palm::HandheldFolder& handheld, DWORD creator) {
    std::vector<BYTE> data = FreshTransferCounts();
    if (palm::WritePreference(handheld, creator, kTransferCountPreferenceId, true,
                              kTransferCountPreferenceVersion, data.data(),
                              static_cast<DWORD>(data.size())) != palm::Status::Ok) {
        std::fprintf(stderr, "handheld: cannot write the transfer-count preference\n");
        return false;
    }
    std::printf("created the transfer-count preference\n");
    return true;
}

bool ShowTransferCounts(const palm::HandheldFolder& handheld, DWORD creator) {
    palm::Preference preference;
    palm::Status status =
        palm::ReadPreference(handheld, creator, kTransferCountPreferenceId, true, preference);
    if (status != palm::Status::Ok) {
        std::fprintf(stderr, "handheld: %s\n",
                     status == palm::Status::NotFound ? "no transfer-count preference (vqKT, ID 0)"
                                                      : "the preference database is unreadable");
        return false;
    }
    const std::vector<BYTE>& data = preference.data;
    std::printf("transfer-count preference: version %u, %u bytes\n", preference.version,
                static_cast<unsigned>(data.size()));
    if (data.size() >= 4) {
        std::printf("sent to the handheld: %u\nreceived by the PC:   %u\n", palm::GetBE16(data.data()),
                    palm::GetBE16(data.data() + 2));
    }
    std::vector<BYTE> fresh = FreshTransferCounts();
    bool tailKept =
        data.size() == fresh.size() && std::equal(data.begin() + 4, data.end(), fresh.begin() + 4);
    std::printf("bytes 4..41:          %s\n", tailKept ? "as the handheld application made them" : "changed");
    return true;
}

int Prefs(const std::string& folder, bool create) {
    if (create) {
        palm::CreateFolderPath(folder);
    }
    if (!FolderExists(folder)) {
        return kFailure;
    }
    palm::HandheldFolder handheld(folder);
    DWORD creator = formats::kFileDatabaseCreator;
    if (create && !CreateTransferCounts(handheld, creator)) {
        return kFailure;
    }
    return ShowTransferCounts(handheld, creator) ? kSuccess : kFailure;
}

// Copies a .pdb file into the handheld under its database's name, as an emulator installs one.
int Install(const std::string& folder, const std::string& pdbPath) {
    palm::CreateFolderPath(folder);
    if (!FolderExists(folder)) {
        return kFailure;
    }
    std::unique_ptr<palm::Database> database;
    if (palm::Database::Open(pdbPath, database) != palm::Status::Ok) {
        std::fprintf(stderr, "handheld: %s is not a readable Palm database\n", pdbPath.c_str());
        return kFailure;
    }
    std::string name = database->Header().name;
    database.reset();
    palm::HandheldFolder handheld(folder);
    if (!CopyFileA(pdbPath.c_str(), handheld.PathOf(name).c_str(), TRUE)) {
        std::fprintf(stderr, "handheld: \"%s\" cannot be installed (it may exist already)\n",
                     Printable(name).c_str());
        return kFailure;
    }
    std::printf("installed \"%s\"\n", Printable(name).c_str());
    return kSuccess;
}

// Copies a database's .pdb file out of the handheld, as an emulator exports one.
int Export(const std::string& folder, const std::string& databaseName, const std::string& pdbPath) {
    palm::HandheldFolder handheld(folder);
    if (!FolderExists(folder) || !CopyFileA(handheld.PathOf(databaseName).c_str(), pdbPath.c_str(), TRUE)) {
        std::fprintf(stderr, "handheld: \"%s\" cannot be exported\n", Printable(databaseName).c_str());
        return kFailure;
    }
    return kSuccess;
}

bool ParseQueueOptions(int argc, char** argv, handheld::QueueOptions& options) {
    for (int i = 4; i < argc; i += 2) {
        std::string option = argv[i];
        DWORD value = 0;
        if (i + 1 >= argc || !ParseNumber(argv[i + 1], value)) {
            return false;
        }
        if (option == "--compression") {
            options.compression = value;
        } else if (option == "--size") {
            options.sizeGiven = true;
            options.size = value;
        } else {
            return false;
        }
    }
    // The size field differs from the file only for archive bytes.
    return !options.sizeGiven || options.compression != 0;
}

int Run(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "list" && argc == 3) {
        return List(argv[2]);
    }
    if (command == "queue" && argc >= 4) {
        handheld::QueueOptions options;
        return ParseQueueOptions(argc, argv, options) ? Queue(argv[2], argv[3], options) : kBadUsage;
    }
    if (command == "extract" && argc == 5) {
        return Extract(argv[2], argv[3], argv[4]);
    }
    if (command == "install" && argc == 4) {
        return Install(argv[2], argv[3]);
    }
    if (command == "export" && argc == 5) {
        return Export(argv[2], argv[3], argv[4]);
    }
    if (command == "prefs" && (argc == 3 || (argc == 4 && std::string(argv[3]) == "--create"))) {
        return Prefs(argv[2], argc == 4);
    }
    return kBadUsage;
}

} // namespace

int main(int argc, char** argv) {
    int result = kFailure;
    try {
        result = Run(argc, argv);
    } catch (...) {
        std::fprintf(stderr, "handheld: out of memory\n");
    }
    if (result == kBadUsage) {
        PrintUsage();
    }
    return result;
}

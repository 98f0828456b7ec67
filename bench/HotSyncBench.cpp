#include "bench/HotSyncBench.h"

#include "conduit/FileHeader.h"
#include "conduit/PcFiles.h"
#include "emulated/palm/HandheldEmu.h"
#include "emulated/palm/storage/HandheldFolder.h"
#include "interfaces/palm/SyncMgr.h"
#include "settings/OutgoingFolder.h"
#include "setup/UndoJournal.h"
#include "tests/archivers/ArchiveFormats.h"

#include <doctest/doctest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace end_to_end {

using namespace transfer_test;

namespace {

// A host that has not ended after this long is stuck (an unanswered question, say): it is killed
// and the case fails. It never decides an outcome that passes.
constexpr DWORD kStuckHostMs = 120000;

struct Tally {
    int cases = 0;
    int hotSyncs = 0;
    int killed = 0;
    int filesChecked = 0;
    int filesLost = 0;
    ~Tally() {
        std::printf(
            "[end-to-end HotSyncs] cases: %d, HotSyncs run: %d (killed midway: %d), files checked: %d, "
            "files lost: %d\n",
            cases, hotSyncs, killed, filesChecked, filesLost);
    }
};
Tally tally;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The text between the first and the last quotation mark of a line.
std::string QuotedPart(const std::string& line) {
    size_t first = line.find('"');
    size_t last = line.rfind('"');
    return first == std::string::npos || last <= first ? std::string()
                                                       : line.substr(first + 1, last - first - 1);
}

void ParseOutput(HotSyncRun& run) {
    size_t start = 0;
    while (start < run.output.size()) {
        size_t end = run.output.find('\n', start);
        std::string line =
            run.output.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? run.output.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("question: ", 0) == 0) {
            run.questions.push_back(QuotedPart(line));
        } else if (line.rfind("  [", 0) == 0) {
            run.logLines.push_back(line);
            if (line.find("[22 warning]") != std::string::npos) {
                run.warnings.push_back(QuotedPart(line));
            }
        }
    }
}

std::string ArchiverNotePath(settings::ArchiverChoice archiver, const char* extension) {
    std::string program = TestArchiverPath(archiver);
    return program.substr(0, program.rfind('.')) + extension;
}

// Waits for a test archiver to report that it hangs; its process id, or 0.
DWORD WaitForHangingArchiver(HANDLE host) {
    for (DWORD waited = 0; waited < kStuckHostMs; waited += 10) {
        for (auto archiver : {settings::WinZip, settings::WinRar}) {
            std::optional<std::string> note = ReadBytes(ArchiverNotePath(archiver, ".running"));
            if (note && !note->empty()) {
                return std::strtoul(note->c_str(), nullptr, 10);
            }
        }
        if (WaitForSingleObject(host, 10) == WAIT_OBJECT_0) {
            return 0;
        }
    }
    return 0;
}

void EndProcess(DWORD id) {
    win::KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (process) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 10000);
    }
}

std::optional<std::string> UnpackArchive(DWORD compression, const std::string& archive,
                                         const std::string& name) {
    ScratchFolder folder("unpack");
    std::string previous = CurrentDirectory();
    SetCurrentDirectoryA(folder.path().c_str());
    WriteBytes("archive", archive);
    bool unpacked =
        compression == settings::WinZip ? archive::UnpackZip("archive") : archive::UnpackRar("archive");
    std::optional<std::string> file = unpacked ? ReadBytes(name) : std::nullopt;
    SetCurrentDirectoryA(previous.c_str());
    return file;
}

// The handheld's file database holds the whole file: its header and its data, unpacked if need be.
bool WholeOnHandheld(const TrackedFile& file) {
    std::optional<std::vector<std::string>> records = ReadRecords(file.handheldName);
    if (!records || records->empty() || (*records)[0].size() != sizeof(FileHeader)) {
        return false;
    }
    FileHeader header = {};
    std::memcpy(&header, (*records)[0].data(), sizeof(header));
    std::string data;
    for (size_t i = 1; i < records->size(); ++i) {
        data += (*records)[i];
    }
    if (FileSizeOf(header) != file.bytes.size()) {
        return false;
    }
    if (header.compression == settings::NoArchiver) {
        return data == file.bytes;
    }
    return UnpackArchive(header.compression, data, file.pcName) == file.bytes;
}

} // namespace

std::string HandheldData(const HotSyncBench& bench, const std::string& name) {
    std::string data;
    bench.OnHandheld([&] { data = transfer_test::FileDatabaseData(name).value_or("(none)"); });
    return data;
}

bool OnHandheld(const HotSyncBench& bench, const std::string& name) {
    bool exists = false;
    bench.OnHandheld([&] { exists = transfer_test::DatabaseExists(name); });
    return exists;
}

void CountCase() {
    ++tally.cases;
}

bool HotSyncRun::Warned(const std::string& fileName) const {
    for (const std::string& warning : warnings) {
        if (warning.find(fileName) != std::string::npos) {
            return true;
        }
    }
    return false;
}

HotSyncBench::HotSyncBench(DWORD fromPalmToPC, DWORD fromPCToPalm, DWORD archiver) : scratch_("hotsync") {
    for (const char* folder : {"outbox", "inbox", "handheld"}) {
        CreateDirectoryA((scratch_ / folder).c_str(), nullptr);
    }
    stored_ = std::make_unique<StoredSettings>(outbox(), inbox(), fromPalmToPC, fromPCToPalm, archiver);
    for (auto choice : {settings::WinZip, settings::WinRar}) {
        DeleteFileA(ArchiverNotePath(choice, ".running").c_str());
    }
    CountCase();
}

HotSyncBench::~HotSyncBench() {
    stored_.reset();
    EmuAttachHandheld(nullptr);
}

std::string HotSyncBench::outbox(const std::string& name) const {
    return name.empty() ? scratch_ / "outbox" : Join(scratch_ / "outbox", name);
}

std::string HotSyncBench::inbox(const std::string& name) const {
    return name.empty() ? scratch_ / "inbox" : Join(scratch_ / "inbox", name);
}

void HotSyncBench::OnHandheld(const std::function<void()>& work) const {
    REQUIRE(EmuAttachHandheld((scratch_ / "handheld").c_str()));
    work();
    EmuAttachHandheld(nullptr);
}

HotSyncRun HotSyncBench::Run(std::vector<std::string> arguments) const {
    HotSyncOptions options;
    options.arguments = std::move(arguments);
    return Run(options);
}

HotSyncRun HotSyncBench::Run(const HotSyncOptions& options) const {
    HotSyncRun run;
    static int runs = 0;
    std::string outputPath = scratch_ / ("hotsync-output-" + std::to_string(++runs) + ".txt");
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    win::File output(CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(output);
    std::string command = Quoted(Join(ProgramFolder(), "hotsync.exe")) + " --handheld " +
                          Quoted(scratch_ / "handheld") + " --conduit " +
                          Quoted(Join(ProgramFolder(), "KestrinConduit.dll"));
    for (const std::string& argument : options.arguments) {
        command += " " + argument;
    }
    std::string mode = options.killWhileArchiverRuns ? "hang" : options.archiverMode.value_or("");
    SetEnvironmentVariableA("KESTRIN_TEST_ARCHIVER", mode.empty() ? nullptr : mode.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION started = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    BOOL created = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  ProgramFolder().c_str(), &startup, &started);
    SetEnvironmentVariableA("KESTRIN_TEST_ARCHIVER", nullptr);
    REQUIRE(created);
    win::KernelHandle process(started.hProcess);
    win::KernelHandle thread(started.hThread);
    output.reset();

    if (options.killWhileArchiverRuns) {
        DWORD archiver = WaitForHangingArchiver(process.get());
        CHECK(archiver != 0);
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 10000);
        EndProcess(archiver);
        for (auto choice : {settings::WinZip, settings::WinRar}) {
            DeleteFileA(ArchiverNotePath(choice, ".running").c_str());
        }
    } else if (WaitForSingleObject(process.get(), kStuckHostMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 10000);
        FAIL("the HotSync host did not end");
    } else {
        run.ended = true;
    }
    GetExitCodeProcess(process.get(), &run.exitCode);
    ++tally.hotSyncs;
    if (options.killWhileArchiverRuns || run.exitCode == 9) {
        ++tally.killed;
    }
    run.output = ReadBytes(outputPath).value_or("");
    DeleteFileA(outputPath.c_str());
    ParseOutput(run);
    return run;
}

void HotSyncBench::PutOutgoing(const std::string& name, const std::string& bytes) {
    REQUIRE(WriteBytes(outbox(name), bytes));
    Track(name, bytes);
}

void HotSyncBench::PutQueued(const std::string& pcName, const std::string& bytes, DWORD compression) {
    std::string data = compression == settings::NoArchiver
                           ? bytes
                           : MakeArchive(static_cast<settings::ArchiverChoice>(compression), pcName, bytes);
    REQUIRE_FALSE(data.empty());
    FileHeader header = MakeHeader(pcName, static_cast<DWORD>(bytes.size()), compression);
    OnHandheld([&] {
        REQUIRE(PutFileDatabase(HandheldNameOf(header), header, data));
        REQUIRE(QueueForPc({HandheldNameOf(header)}));
    });
    Track(pcName, bytes);
}

void HotSyncBench::Track(const std::string& pcName, const std::string& bytes) {
    HandheldName name = MakeHandheldName(pcName);
    tracked_.push_back({pcName, name.name + name.extension, bytes});
}

void HotSyncBench::CheckNothingLost() const {
    OnHandheld([&] {
        for (const TrackedFile& file : tracked_) {
            CAPTURE(file.pcName);
            bool whole = ReadBytes(outbox(file.pcName)) == file.bytes ||
                         ReadBytes(inbox(file.pcName)) == file.bytes || WholeOnHandheld(file);
            ++tally.filesChecked;
            if (!whole) {
                ++tally.filesLost;
            }
            CHECK(whole);
        }
        CHECK(EmuOpenDatabaseCount() == 0);
    });
}

void HotSyncBench::CheckNoStrayFile() const {
    for (const std::string& folder : {outbox(), inbox()}) {
        CAPTURE(folder);
        for (const std::string& name : Entries(folder)) {
            CAPTURE(name);
            // A user's file of that name, or their folder with their files in it, is no stray.
            std::string path = Join(folder, name);
            DWORD attributes = GetFileAttributesA(path.c_str());
            bool strayFolder = settings::IsWorkingFolderName(name) && attributes != INVALID_FILE_ATTRIBUTES &&
                               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                               (IsPrivateFolder(path) || Entries(path).empty());
            CHECK_FALSE(strayFolder);
            CHECK(name.rfind(kSetupWorkingFilePrefix, 0) != 0);
        }
    }
    CHECK(Entries(Join(scratch_ / "handheld", palm::kWorkFolder)).empty());
}

void HotSyncBench::CheckHandheldWhole() const {
    palm::HandheldFolder handheld(scratch_ / "handheld");
    for (const std::string& name : handheld.DatabaseNames()) {
        CAPTURE(name);
        std::unique_ptr<palm::Database> database;
        CHECK(handheld.Open(name, database) == palm::Status::Ok);
    }
}

} // namespace end_to_end

// Helpers of the conduit's tests: scratch folders, the Settings store, the conduit DLL, the emulated
// handheld's databases, the test archivers' registration and the answers to the conduit's questions.
#pragma once

#include "conduit/FileHeader.h"
#include "conduit/SyncDriver.h"
#include "interfaces/palm/CondAPI.h"
#include "settings/Settings.h"
#include "tests/support/Files.h"
#include "win/Handles.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace transfer_test {

// The synchronisation the fixture's passes run with; the fixture starts it afresh.
extern SyncSession session;
inline void SendFiles() {
    ::SendFiles(session);
}
inline void ReceiveFiles() {
    ::ReceiveFiles(session);
}

// Deterministic bytes that differ from file to file.
std::string Pattern(size_t size, unsigned seed = 1);
using testsupport::CurrentDirectory;
using testsupport::Entries;
using testsupport::Join;
using testsupport::ProgramFolder;
using testsupport::ReadBytes;
using testsupport::ScratchFolder;
using testsupport::WriteBytes;

// The test stand-in for WinZip or WinRar beside the test programs.
std::string TestArchiverPath(settings::ArchiverChoice archiver);
// The command lines the stand-in was started with since its log was last cleared.
std::vector<std::string> ArchiverLog(settings::ArchiverChoice archiver);
void ClearArchiverLog(settings::ArchiverChoice archiver);

// Registers a program under the archiver's App Paths key (or, without a path, removes the key) for
// the length of a test, and puts the previous state back afterwards.
class ArchiverRegistration {
public:
    ArchiverRegistration(settings::ArchiverChoice archiver, std::optional<std::string> programPath);
    ~ArchiverRegistration();
    ArchiverRegistration(const ArchiverRegistration&) = delete;
    ArchiverRegistration& operator=(const ArchiverRegistration&) = delete;

private:
    std::string keyPath_;
    std::optional<std::string> previous_;
    bool existed_ = false;
};

struct Question {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// The conduit's overwrite question: that text, caption "Kestrin Conduit", Yes and No with the warning
// icon, owned by no window.
void CheckOverwriteQuestion(const Question& question, const std::string& text);

// Answers every question of the conduit with `answer` (IDYES, IDNO …) and records the questions;
// `whileAsked` runs while each question is open, as a user's other programs would.
class QuestionAnswerer {
public:
    explicit QuestionAnswerer(int answer, std::function<void()> whileAsked = {});
    ~QuestionAnswerer();
    QuestionAnswerer(const QuestionAnswerer&) = delete;
    QuestionAnswerer& operator=(const QuestionAnswerer&) = delete;
    // The answerer as a message box, for a whole synchronisation (the passes' session has it already).
    MessageBoxFunction messageBox() const;
    const std::vector<Question>& questions() const;
    std::vector<std::string> texts() const;
};

// Databases of the emulated handheld, written and read through the Sync Manager calls.
struct DatabaseInfo {
    DWORD type = 0;
    DWORD creator = 0;
    WORD version = 0;
    WORD flags = 0;
};
bool CreateDatabase(const std::string& name, DWORD type, DWORD creator,
                    const std::vector<std::string>& records);
std::optional<std::vector<std::string>> ReadRecords(const std::string& name);
std::optional<DatabaseInfo> FindDatabase(const std::string& name);
bool DatabaseExists(const std::string& name);

// A header as the handheld application writes it.
FileHeader MakeHeader(const std::string& pcName, DWORD fileSize, DWORD compression = settings::NoArchiver);
std::string HeaderBytes(const FileHeader& header);
// The file's bytes cut into records of `recordSize`, the header before them.
std::vector<std::string> FileRecords(const FileHeader& header, const std::string& data,
                                     size_t recordSize = kDataRecordSize);
bool PutFileDatabase(const std::string& name, const FileHeader& header, const std::string& data);
// Data records of a file database joined: what the handheld holds of the file.
std::optional<std::string> FileDatabaseData(const std::string& name);
// The queue database with the count `count` (the number of names unless given) and the names.
bool QueueForPc(const std::vector<std::string>& names, std::optional<DWORD> count = std::nullopt);
std::string BigEndian(DWORD value);

// The Settings store's five conduit values for the length of a test; the previous values (or their
// absence) are put back afterwards.
class StoredSettings {
public:
    StoredSettings(const std::string& sendFolder, const std::string& receiveFolder, DWORD fromPalmToPC,
                   DWORD fromPCToPalm, DWORD archiver);
    ~StoredSettings();
    StoredSettings(const StoredSettings&) = delete;
    StoredSettings& operator=(const StoredSettings&) = delete;

private:
    struct Saved {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
        bool existed;
    };
    std::vector<Saved> saved_;
    bool keyExisted_ = false;
};

long __cdecl IgnoreProgress(char* text);

// The Settings store as Setup leaves it, with the two folders given; an empty folder is not written.
void WriteDefaultSettings(const std::string& sendFolder, const std::string& receiveFolder);
void DeleteSettings();

// The conduit library as HotSync Manager loads it, with its exports.
struct ConduitDll {
    ConduitDll();

    win::Module module;
    long(__cdecl* getConduitName)(char*, WORD) = nullptr;
    DWORD(__cdecl* getConduitVersion)() = nullptr;
    long(__cdecl* getConduitInfo)(int, void*, void*, DWORD*) = nullptr;
    long(__cdecl* configureConduit)(void*) = nullptr;
    long(__cdecl* cfgConduit)(int, void*, DWORD*) = nullptr;
    long(__cdecl* openConduit)(PROGRESSFN, CSyncProperties*) = nullptr;
};

// One synchronisation's surroundings: an outgoing, an incoming and a handheld folder under one
// scratch folder, a fresh emulated handheld with plenty of free RAM, a fresh session whose settings
// point at them (policies Overwrite, no archiver) and the current directory set to a working folder
// of its own. The current directory is put back afterwards.
class TransferFixture {
public:
    TransferFixture();
    ~TransferFixture();
    TransferFixture(const TransferFixture&) = delete;
    TransferFixture& operator=(const TransferFixture&) = delete;

    std::string outbox(const std::string& name = "") const;
    std::string inbox(const std::string& name = "") const;
    const std::string& root() const { return scratch_.path(); }
    // Everything under the scratch folder but the handheld: the files that prove nothing was written
    // outside the two folders.
    std::set<std::string> PcEntries() const;

private:
    ScratchFolder scratch_;
    std::string previousDirectory_;
};

// The archive bytes the test archiver makes of one file, packed as `innerName`.
std::string MakeArchive(settings::ArchiverChoice archiver, const std::string& innerName,
                        const std::string& data);

} // namespace transfer_test

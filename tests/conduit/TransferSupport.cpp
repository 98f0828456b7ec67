#include "tests/conduit/TransferSupport.h"

#include "conduit/SyncDriver.h"
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "tests/archivers/ArchiveFormats.h"

#include <doctest/doctest.h>

#include <cstdio>
#include <cstring>

namespace transfer_test {

SyncSession session;

namespace {

constexpr DWORD kPlentyOfRam = 0x7FFFFFFF;
constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

void ListTree(const std::string& folder, const std::string& prefix, std::set<std::string>& out) {
    for (const std::string& name : Entries(folder)) {
        std::string child = Join(folder, name);
        out.insert(prefix + name);
        DWORD attributes = GetFileAttributesA(child.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ListTree(child, prefix + name + "\\", out);
        }
    }
}

std::string ArchiverLogPath(settings::ArchiverChoice archiver) {
    std::string program = TestArchiverPath(archiver);
    return program.substr(0, program.rfind('.')) + ".log";
}

struct AnswererState {
    int answer = IDNO;
    std::function<void()> whileAsked;
    std::vector<Question> questions;
};
AnswererState answerer;

int WINAPI AnswerQuestion(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    answerer.questions.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (answerer.whileAsked) {
        answerer.whileAsked();
    }
    return answerer.answer;
}

std::string RecordBytes(const CRawRecordInfo& record, const std::vector<BYTE>& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.data()), record.m_RecSize);
}

} // namespace

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 12345u;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

std::string TestArchiverPath(settings::ArchiverChoice archiver) {
    return Join(Join(ProgramFolder(), "archivers"),
                archiver == settings::WinZip ? "WinZip.exe" : "WinRar.exe");
}

std::vector<std::string> ArchiverLog(settings::ArchiverChoice archiver) {
    std::vector<std::string> lines;
    std::string log = ReadBytes(ArchiverLogPath(archiver)).value_or("");
    for (size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(log.substr(start, end - start));
    }
    return lines;
}

void ClearArchiverLog(settings::ArchiverChoice archiver) {
    DeleteFileA(ArchiverLogPath(archiver).c_str());
}

ArchiverRegistration::ArchiverRegistration(settings::ArchiverChoice archiver,
                                           std::optional<std::string> programPath)
    : keyPath_(std::string(kAppPaths) + (archiver == settings::WinZip ? "WinZip.exe" : "WinRar.exe")) {
    if (win::RegKey key = settings::OpenKey(HKEY_LOCAL_MACHINE, keyPath_.c_str(), KEY_READ)) {
        existed_ = true;
        previous_ = settings::ReadString(key.get(), nullptr);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath_.c_str());
    if (programPath) {
        win::RegKey key = settings::CreateKey(HKEY_LOCAL_MACHINE, keyPath_.c_str());
        if (!programPath->empty()) {
            settings::WriteString(key.get(), nullptr, *programPath);
        }
    }
    ClearArchiverLog(archiver);
}

ArchiverRegistration::~ArchiverRegistration() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath_.c_str());
    if (existed_) {
        win::RegKey key = settings::CreateKey(HKEY_LOCAL_MACHINE, keyPath_.c_str());
        if (previous_) {
            settings::WriteString(key.get(), nullptr, *previous_);
        }
    }
}

void CheckOverwriteQuestion(const Question& question, const std::string& text) {
    CHECK(question.text == text);
    CHECK(question.caption == "Kestrin Conduit");
    CHECK(question.type == (MB_YESNO | MB_ICONWARNING));
    CHECK(question.owner == nullptr);
}

QuestionAnswerer::QuestionAnswerer(int answer, std::function<void()> whileAsked) {
    answerer.answer = answer;
    answerer.whileAsked = std::move(whileAsked);
    answerer.questions.clear();
    session.messageBox = AnswerQuestion;
}

QuestionAnswerer::~QuestionAnswerer() {
    answerer.whileAsked = nullptr;
    session.messageBox = MessageBoxA;
}

MessageBoxFunction QuestionAnswerer::messageBox() const {
    return AnswerQuestion;
}

const std::vector<Question>& QuestionAnswerer::questions() const {
    return answerer.questions;
}

std::vector<std::string> QuestionAnswerer::texts() const {
    std::vector<std::string> texts;
    for (const Question& question : answerer.questions) {
        texts.push_back(question.text);
    }
    return texts;
}

bool CreateDatabase(const std::string& name, DWORD type, DWORD creator,
                    const std::vector<std::string>& records) {
    CDbCreateDB create = {};
    create.m_Creator = creator;
    create.m_Type = type;
    create.m_Version = 1;
    std::strncpy(create.m_Name, name.c_str(), sizeof(create.m_Name) - 1);
    if (SyncCreateDB(&create) != SYNCERR_NONE) {
        return false;
    }
    bool written = true;
    for (const std::string& bytes : records) {
        CRawRecordInfo record = {};
        record.m_FileHandle = create.m_FileHandle;
        record.m_RecSize = static_cast<DWORD>(bytes.size());
        record.m_TotalBytes = static_cast<WORD>(bytes.size());
        record.m_pBytes = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
        written = written && SyncWriteRec(&record) == SYNCERR_NONE;
    }
    return SyncCloseDB(create.m_FileHandle) == SYNCERR_NONE && written;
}

std::optional<std::vector<std::string>> ReadRecords(const std::string& name) {
    BYTE handle = 0;
    if (SyncOpenDB(name.c_str(), 0, &handle, eDbRead) != SYNCERR_NONE) {
        return std::nullopt;
    }
    std::vector<std::string> records;
    std::vector<BYTE> buffer(65535);
    for (WORD index = 0;; ++index) {
        CRawRecordInfo record = {};
        record.m_FileHandle = handle;
        record.m_RecIndex = index;
        record.m_TotalBytes = static_cast<WORD>(buffer.size());
        record.m_pBytes = buffer.data();
        if (SyncReadRecordByIndex(&record) != SYNCERR_NONE) {
            break;
        }
        records.push_back(RecordBytes(record, buffer));
    }
    SyncCloseDB(handle);
    return records;
}

std::optional<DatabaseInfo> FindDatabase(const std::string& name) {
    SyncFindDbByNameParams params = {eFindByNameOptGetAttributes, 0, name.c_str()};
    SyncDatabaseInfoType info = {};
    if (SyncFindDbByName(&params, &info) != SYNCERR_NONE) {
        return std::nullopt;
    }
    return DatabaseInfo{info.m_DbType, info.m_Creator, info.m_Version, info.m_DbFlags};
}

bool DatabaseExists(const std::string& name) {
    return FindDatabase(name).has_value();
}

std::string BigEndian(DWORD value) {
    char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                     static_cast<char>(value >> 8), static_cast<char>(value)};
    return std::string(bytes, 4);
}

FileHeader MakeHeader(const std::string& pcName, DWORD fileSize, DWORD compression) {
    FileHeader header = {};
    header.compression = compression;
    header.fileSize = SyncHostToHHDWord(fileSize);
    HandheldName name = MakeHandheldName(pcName);
    std::memcpy(header.name, name.name.data(), std::min(name.name.size(), sizeof(header.name)));
    std::memcpy(header.extension, name.extension.data(),
                std::min(name.extension.size(), sizeof(header.extension)));
    std::memcpy(header.modificationDate, "01.02.2003", 10);
    std::memcpy(header.transferDate, "01.02.2003", 10);
    return header;
}

std::string HeaderBytes(const FileHeader& header) {
    return std::string(reinterpret_cast<const char*>(&header), sizeof(header));
}

std::vector<std::string> FileRecords(const FileHeader& header, const std::string& data, size_t recordSize) {
    std::vector<std::string> records{HeaderBytes(header)};
    for (size_t offset = 0; offset < data.size(); offset += recordSize) {
        records.push_back(data.substr(offset, recordSize));
    }
    return records;
}

bool PutFileDatabase(const std::string& name, const FileHeader& header, const std::string& data) {
    return CreateDatabase(name, kFileDatabaseType, layout::kCreatorIdNumber, FileRecords(header, data));
}

std::optional<std::string> FileDatabaseData(const std::string& name) {
    std::optional<std::vector<std::string>> records = ReadRecords(name);
    if (!records || records->empty()) {
        return std::nullopt;
    }
    std::string data;
    for (size_t i = 1; i < records->size(); ++i) {
        data += (*records)[i];
    }
    return data;
}

bool QueueForPc(const std::vector<std::string>& names, std::optional<DWORD> count) {
    std::vector<std::string> records{BigEndian(count.value_or(static_cast<DWORD>(names.size())))};
    for (const std::string& name : names) {
        records.push_back(name + std::string(1, '\0'));
    }
    return CreateDatabase(kQueueDatabaseName, 0x44415441 /* 'DATA' */, layout::kCreatorIdNumber, records);
}

StoredSettings::StoredSettings(const std::string& sendFolder, const std::string& receiveFolder,
                               DWORD fromPalmToPC, DWORD fromPCToPalm, DWORD archiver) {
    keyExisted_ = static_cast<bool>(settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath, KEY_READ));
    win::RegKey key = settings::CreateKey(HKEY_CURRENT_USER, settings::kKeyPath);
    for (const char* name : {settings::kFolderForSFiles, settings::kFolderForRFiles, settings::kFromPalmToPC,
                             settings::kFromPCToPalm, settings::kArchiver}) {
        Saved value{name, 0, std::vector<BYTE>(1024), false};
        DWORD size = static_cast<DWORD>(value.data.size());
        value.existed = RegQueryValueExA(key.get(), name, nullptr, &value.type, value.data.data(), &size) ==
                        ERROR_SUCCESS;
        value.data.resize(value.existed ? size : 0);
        saved_.push_back(value);
    }
    settings::WriteString(key.get(), settings::kFolderForSFiles, sendFolder);
    settings::WriteString(key.get(), settings::kFolderForRFiles, receiveFolder);
    settings::WriteDword(key.get(), settings::kFromPalmToPC, fromPalmToPC);
    settings::WriteDword(key.get(), settings::kFromPCToPalm, fromPCToPalm);
    settings::WriteDword(key.get(), settings::kArchiver, archiver);
}

StoredSettings::~StoredSettings() {
    if (!keyExisted_) {
        RegDeleteKeyA(HKEY_CURRENT_USER, settings::kKeyPath);
        return;
    }
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
    for (const Saved& value : saved_) {
        if (value.existed) {
            RegSetValueExA(key.get(), value.name, 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size()));
        } else {
            RegDeleteValueA(key.get(), value.name);
        }
    }
}

long __cdecl IgnoreProgress(char*) {
    return 0;
}

void WriteDefaultSettings(const std::string& sendFolder, const std::string& receiveFolder) {
    DeleteSettings();
    win::RegKey key = settings::CreateKey(HKEY_CURRENT_USER, settings::kKeyPath);
    REQUIRE(key);
    if (!sendFolder.empty()) {
        settings::WriteString(key.get(), settings::kFolderForSFiles, sendFolder);
    }
    if (!receiveFolder.empty()) {
        settings::WriteString(key.get(), settings::kFolderForRFiles, receiveFolder);
    }
    settings::WriteDword(key.get(), settings::kFromPalmToPC, settings::kDefaultOverwritePolicy);
    settings::WriteDword(key.get(), settings::kFromPCToPalm, settings::kDefaultOverwritePolicy);
    settings::WriteDword(key.get(), settings::kArchiver, settings::kDefaultArchiver);
}

void DeleteSettings() {
    RegDeleteKeyA(HKEY_CURRENT_USER, settings::kKeyPath);
}

template <class Fn> void Bind(HMODULE module, const char* name, Fn& function) {
    function = win::ProcAddress<Fn>(module, name);
    const bool found = function != nullptr;
    REQUIRE_MESSAGE(found, name);
}

ConduitDll::ConduitDll() : module(LoadLibraryA("KestrinConduit.dll")) {
    REQUIRE(module);
    Bind(module.get(), "GetConduitName", getConduitName);
    Bind(module.get(), "GetConduitVersion", getConduitVersion);
    Bind(module.get(), "GetConduitInfo", getConduitInfo);
    Bind(module.get(), "ConfigureConduit", configureConduit);
    Bind(module.get(), "CfgConduit", cfgConduit);
    Bind(module.get(), "OpenConduit", openConduit);
}

TransferFixture::TransferFixture() : scratch_("sync") {
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    previousDirectory_ = current;
    for (const char* folder : {"outbox", "inbox", "handheld", "work"}) {
        CreateDirectoryA((scratch_ / folder).c_str(), nullptr);
    }
    SetCurrentDirectoryA((scratch_ / "work").c_str());
    EmuAttachHandheld((scratch_ / "handheld").c_str());
    EmuSetFreeRam(kPlentyOfRam);
    session = SyncSession();
    session.settings.sendFolder = outbox();
    session.settings.receiveFolder = inbox();
    session.settings.fromPCToPalm = settings::Overwrite;
    session.settings.fromPalmToPC = settings::Overwrite;
}

TransferFixture::~TransferFixture() {
    session = SyncSession();
    SetCurrentDirectoryA(previousDirectory_.c_str());
    EmuAttachHandheld(nullptr);
}

std::string TransferFixture::outbox(const std::string& name) const {
    return name.empty() ? scratch_ / "outbox" : Join(scratch_ / "outbox", name);
}

std::string TransferFixture::inbox(const std::string& name) const {
    return name.empty() ? scratch_ / "inbox" : Join(scratch_ / "inbox", name);
}

std::set<std::string> TransferFixture::PcEntries() const {
    std::set<std::string> entries;
    ListTree(scratch_.path(), "", entries);
    for (auto it = entries.begin(); it != entries.end();) {
        it = it->rfind("handheld", 0) == 0 ? entries.erase(it) : std::next(it);
    }
    return entries;
}

std::string MakeArchive(settings::ArchiverChoice archiver, const std::string& innerName,
                        const std::string& data) {
    ScratchFolder folder("pack");
    testsupport::CurrentDirectoryScope inFolder(folder.path());
    testsupport::WriteBytes(innerName, data);
    bool packed = archiver == settings::WinZip ? archive::PackZip("archive", innerName)
                                               : archive::PackRar("archive", innerName);
    return packed ? testsupport::ReadBytes("archive").value_or("") : "";
}

} // namespace transfer_test

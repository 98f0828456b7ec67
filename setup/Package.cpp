#include "setup/Package.h"

#include "interfaces/unrar/unrar.h"
#include "settings/InstalledLayout.h"
#include "setup/Folders.h"
#include "setup/SetupMessages.h"
#include "win/Handles.h"
#include "win/Paths.h"

#include <utility>
#include <vector>

namespace package {

namespace {

// Table A: why the package could not be opened.
const char* OpenErrorText(unsigned int code) {
    switch (code) {
    case ERAR_NO_MEMORY:
        return "Not enough memory";
    case ERAR_BAD_DATA:
        return "Archive header broken";
    case ERAR_EOPEN:
        return "Cannot open archive";
    default:
        return messages::kUnknownArchiveError;
    }
}

// Table B: why an entry could not be extracted.
const char* ExtractErrorText(int code) {
    switch (code) {
    case ERAR_BAD_DATA:
        return "CRC error";
    case ERAR_BAD_ARCHIVE:
        return "Bad volume";
    case ERAR_UNKNOWN_FORMAT:
        return "Unknown archive format";
    case ERAR_EOPEN:
        return "Volume open error";
    case ERAR_ECREATE:
        return "File create error";
    case ERAR_ECLOSE:
        return "File close error";
    case ERAR_EREAD:
        return "Read error";
    case ERAR_EWRITE:
        return "Write error";
    default:
        return messages::kUnknownArchiveError;
    }
}

// The four calls of unrar.dll that Setup makes.
struct RarCalls {
    RAROpenArchiveFn open = nullptr;
    RARCloseArchiveFn close = nullptr;
    RARReadHeaderFn readHeader = nullptr;
    RARProcessFileFn processFile = nullptr;
};

// An open archive, closed by its owner's going.
class RarArchive {
public:
    RarArchive(HANDLE handle, RARCloseArchiveFn close) : handle_(handle), close_(close) {}
    RarArchive(const RarArchive&) = delete;
    RarArchive& operator=(const RarArchive&) = delete;
    ~RarArchive() {
        if (handle_ != nullptr) {
            close_(handle_);
        }
    }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
    RARCloseArchiveFn close_;
};

// The package's members, in order; the first goes into the HotSync folder.
constexpr const char* kMembers[] = {layout::kConduitFileName, layout::kManagerFileName,
                                    layout::kUnInstallFileName, layout::kHandheldAppFileName};
constexpr size_t kMemberCount = sizeof(kMembers) / sizeof(kMembers[0]);
constexpr unsigned int kHostUnix = 3;

Failure EntryFailure(int code) {
    return Failure{ExtractErrorText(code), SetupOutcome::EntryNotExtracted, InstallationEnd::Failed};
}

// A package that cannot be read to its end is never reported as installed.
Failure HeaderFailure(int code) {
    const char* text = code == ERAR_BAD_DATA ? messages::kArchiveHeaderBroken : ExtractErrorText(code);
    return Failure{text, SetupOutcome::PackageHeaderBroken, InstallationEnd::Aborted};
}

Failure UnexpectedMembers() {
    return Failure{messages::kArchiveHeaderBroken, SetupOutcome::PackageMembersUnexpected,
                   InstallationEnd::Aborted};
}

bool IsFolderEntry(const RARHeaderData& header) {
    // An archive made on Unix stores the file's mode, where 0x10 is not the folder bit.
    const bool folderAttribute = header.HostOS == kHostUnix
                                     ? (header.FileAttr & 0170000) == 0040000
                                     : (header.FileAttr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return (header.Flags & RHDF_DIRECTORY) != 0 || folderAttribute;
}

// Whether the entry just read is the plain file expected at 0-based `position`.
bool IsExpectedMember(const RARHeaderData& header, size_t position) {
    return position < kMemberCount && win::SameName(std::string(header.FileName), kMembers[position]) &&
           !IsFolderEntry(header);
}

// Tests every entry's data (CRC included) and the members' names and kinds, writing nothing.
std::optional<Failure> CheckEntries(const RarCalls& rar, HANDLE archive) {
    size_t position = 0;
    bool asExpected = true;
    RARHeaderData header = {};
    int headerResult = ERAR_SUCCESS;
    while ((headerResult = rar.readHeader(archive, &header)) == ERAR_SUCCESS) {
        const int tested = rar.processFile(archive, RAR_TEST, nullptr, nullptr);
        if (tested != ERAR_SUCCESS) {
            return EntryFailure(tested);
        }
        asExpected = asExpected && IsExpectedMember(header, position);
        ++position;
    }
    if (headerResult != ERAR_END_ARCHIVE) {
        return HeaderFailure(headerResult);
    }
    if (!asExpected || position != kMemberCount) {
        return UnexpectedMembers();
    }
    return std::nullopt;
}

// Extracts the entry just read beside its target under a temporary name and moves it over the
// target only once whole: a failure leaves the file that was there before, and no temporary file.
int ExtractOver(const RarCalls& rar, HANDLE archive, const std::string& folder, const std::string& target,
                UndoJournal& journal) {
    std::optional<std::string> reserved = ReserveWorkingFile(folder);
    if (!reserved) {
        return ERAR_ECREATE;
    }
    std::vector<char> temporary(reserved->c_str(), reserved->c_str() + reserved->size() + 1);
    int extracted = rar.processFile(archive, RAR_EXTRACT, nullptr, temporary.data());
    if (extracted == ERAR_SUCCESS && !journal.PutInPlace(*reserved, target)) {
        extracted = ERAR_ECREATE;
    }
    if (extracted != ERAR_SUCCESS) {
        DeleteFileA(reserved->c_str());
    }
    return extracted;
}

std::optional<Failure> ExtractEntries(const RarCalls& rar, HANDLE archive, const std::string& hotSyncFolder,
                                      const std::string& installFolder, UndoJournal& journal,
                                      const std::function<void()>& entryExtracted) {
    const std::string hotSyncDestination = folders::FolderForUse(hotSyncFolder);
    const std::string installDestination = folders::FolderForUse(installFolder);
    size_t position = 0;
    RARHeaderData header = {};
    int headerResult = ERAR_SUCCESS;
    while ((headerResult = rar.readHeader(archive, &header)) == ERAR_SUCCESS) {
        // The package was checked, but its file could have been replaced since.
        if (!IsExpectedMember(header, position)) {
            return UnexpectedMembers();
        }
        const std::string& destination = position == 0 ? hotSyncDestination : installDestination;
        const int extracted =
            ExtractOver(rar, archive, destination, win::JoinPath(destination, kMembers[position]), journal);
        ++position;
        if (extracted != ERAR_SUCCESS) {
            return EntryFailure(extracted);
        }
        entryExtracted();
    }
    if (headerResult != ERAR_END_ARCHIVE) {
        return HeaderFailure(headerResult);
    }
    return position == kMemberCount ? std::nullopt : std::optional<Failure>(UnexpectedMembers());
}

// Opens the package and hands the open archive to `use`.
std::optional<Failure> WithPackage(const RarCalls& rar,
                                   const std::function<std::optional<Failure>(HANDLE)>& use) {
    std::vector<char> packageName(layout::kPackageFileName,
                                  layout::kPackageFileName + strlen(layout::kPackageFileName) + 1);
    RAROpenArchiveData open = {};
    open.ArcName = packageName.data();
    open.OpenMode = RAR_OM_EXTRACT;
    open.CmtBuf = nullptr;
    open.CmtBufSize = 0;
    RarArchive archive(rar.open(&open), rar.close);
    // A library that reports success without a handle has not opened anything either.
    if (open.OpenResult != ERAR_SUCCESS || archive.get() == nullptr) {
        return Failure{OpenErrorText(open.OpenResult != ERAR_SUCCESS ? open.OpenResult : ERAR_EOPEN),
                       SetupOutcome::PackageNotOpened, InstallationEnd::Failed};
    }
    return use(archive.get());
}

// Walks the whole package once before anything is written, then extracts it.
std::optional<Failure> ExtractWith(const RarCalls& rar, const std::string& hotSyncFolder,
                                   const std::string& installFolder, UndoJournal& journal,
                                   const std::function<void()>& entryExtracted) {
    if (auto failure = WithPackage(rar, [&](HANDLE archive) { return CheckEntries(rar, archive); })) {
        return failure;
    }
    return WithPackage(rar, [&](HANDLE archive) {
        return ExtractEntries(rar, archive, hotSyncFolder, installFolder, journal, entryExtracted);
    });
}

} // namespace

std::optional<Failure> Extract(const std::string& hotSyncFolder, const std::string& installFolder,
                               UndoJournal& journal, const std::function<void()>& entryExtracted) {
    win::Module unrar(LoadLibraryA(layout::kUnrarFileName));
    if (!unrar) {
        return Failure{messages::kErrorLoadingDll, SetupOutcome::UnrarNotLoaded, InstallationEnd::Aborted};
    }
    RarCalls rar;
    rar.open = win::ProcAddress<RAROpenArchiveFn>(unrar.get(), "RAROpenArchive");
    rar.close = win::ProcAddress<RARCloseArchiveFn>(unrar.get(), "RARCloseArchive");
    rar.readHeader = win::ProcAddress<RARReadHeaderFn>(unrar.get(), "RARReadHeader");
    rar.processFile = win::ProcAddress<RARProcessFileFn>(unrar.get(), "RARProcessFile");
    if (!rar.open || !rar.close || !rar.readHeader || !rar.processFile) {
        return Failure{messages::kErrorLoadingFunctions, SetupOutcome::UnrarFunctionsMissing,
                       InstallationEnd::Aborted};
    }
    return ExtractWith(rar, hotSyncFolder, installFolder, journal, entryExtracted);
}

} // namespace package

#include "setup/Package.h"

#include "interfaces/unrar/unrar.h"
#include "settings/InstalledLayout.h"
#include "setup/Folders.h"
#include "setup/SetupMessages.h"
#include "win/Handles.h"

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

std::optional<Failure> ExtractEntries(const RarCalls& rar, HANDLE archive, const std::string& hotSyncFolder,
                                      const std::string& installFolder,
                                      const std::function<void()>& entryExtracted) {
    const std::string hotSyncDestination = folders::FolderForUse(hotSyncFolder);
    const std::string installDestination = folders::FolderForUse(installFolder);
    int entry = 1;
    RARHeaderData header = {};
    header.CmtBuf = nullptr;
    int headerResult = ERAR_SUCCESS;
    while ((headerResult = rar.readHeader(archive, &header)) == ERAR_SUCCESS) {
        const std::string& destination = entry == 1 ? hotSyncDestination : installDestination;
        std::vector<char> folder(destination.begin(), destination.end());
        folder.push_back('\0');
        int extracted = rar.processFile(archive, RAR_EXTRACT, folder.data(), nullptr);
        ++entry;
        if (extracted != ERAR_SUCCESS) {
            return Failure{ExtractErrorText(extracted), SetupOutcome::EntryNotExtracted,
                           InstallationEnd::Failed};
        }
        entryExtracted();
    }
    if (headerResult != ERAR_END_ARCHIVE) {
        // A package that cannot be read to its end is never reported as installed.
        const char* text =
            headerResult == ERAR_BAD_DATA ? messages::kArchiveHeaderBroken : ExtractErrorText(headerResult);
        return Failure{text, SetupOutcome::PackageHeaderBroken, InstallationEnd::Aborted};
    }
    return std::nullopt;
}

std::optional<Failure> ExtractWith(const RarCalls& rar, const std::string& hotSyncFolder,
                                   const std::string& installFolder,
                                   const std::function<void()>& entryExtracted) {
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
    return ExtractEntries(rar, archive.get(), hotSyncFolder, installFolder, entryExtracted);
}

} // namespace

std::optional<Failure> Extract(const std::string& hotSyncFolder, const std::string& installFolder,
                               const std::function<void()>& entryExtracted) {
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
    return ExtractWith(rar, hotSyncFolder, installFolder, entryExtracted);
}

} // namespace package

#include "unrar/Archive.h"

#include "unrar/Crc32.h"
#include "unrar/OutputPath.h"

#include <cstring>
#include <memory>

namespace rar {
namespace {

constexpr DWORD kBufferSize = 64 * 1024;
// What TakeFileBlock answers for a block that is passed over.
constexpr int kPassedOver = -1;
// How far into a self-extracting archive's program the archive may start.
constexpr uint64_t kSelfExtractorLimit = 4 * 1024 * 1024;
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr uint8_t kHostMsDos = 0;
constexpr uint8_t kHostWin32 = 2;

uint64_t FileSize(HANDLE file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

bool DosTimeToFileTime(uint32_t dosTime, FILETIME& utc) {
    FILETIME local;
    return DosDateTimeToFileTime(HIWORD(dosTime), LOWORD(dosTime), &local) &&
           LocalFileTimeToFileTime(&local, &utc);
}

// A file written in part is removed when its entry turns out bad.
class PartialOutput {
public:
    PartialOutput(win::File file, std::wstring path) : file_(std::move(file)), path_(std::move(path)) {}
    ~PartialOutput() {
        if (!kept_) {
            file_.reset();
            DeleteFileW(path_.c_str());
        }
    }
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;

    HANDLE get() const { return file_.get(); }
    void Keep(const FileEntry& entry) {
        kept_ = true;
        FILETIME written;
        if (DosTimeToFileTime(entry.fileTime, written)) {
            SetFileTime(file_.get(), nullptr, nullptr, &written);
        }
        file_.reset();
        if (entry.hostOs == kHostMsDos || entry.hostOs == kHostWin32) {
            DWORD attributes = entry.attributes & kKeptAttributes;
            SetFileAttributesW(path_.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
        }
    }

private:
    win::File file_;
    std::wstring path_;
    bool kept_ = false;
};

win::File CreateOutput(const std::wstring& path) {
    auto create = [&] {
        return win::File(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    win::File file = create();
    if (file) {
        return file;
    }
    // A read-only file of the same name is replaced like any other.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_READONLY) && SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        file = create();
    }
    return file;
}

} // namespace

Archive::Archive(win::File file, std::wstring path, uint64_t size, unsigned openMode)
    : file_(std::move(file)), path_(std::move(path)), size_(size), openMode_(openMode) {}

Archive* Archive::Open(const std::wstring& path, unsigned openMode, unsigned& result) {
    win::File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        result = ERAR_EOPEN;
        return nullptr;
    }
    uint64_t size = FileSize(file.get());
    std::unique_ptr<Archive> archive(new Archive(std::move(file), path, size, openMode));
    result = archive->ReadMainHeader();
    return result == ERAR_SUCCESS ? archive.release() : nullptr;
}

bool Archive::Seek(uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN) != 0;
}

bool Archive::ReadAt(uint64_t offset, void* buffer, DWORD size) {
    if (offset > size_ || size > size_ - offset) {
        return false;
    }
    DWORD read = 0;
    return Seek(offset) && ReadFile(file_.get(), buffer, size, &read, nullptr) && read == size;
}

std::optional<uint64_t> Archive::FindMarker() {
    buffer_.resize(kBufferSize);
    unsigned char* window = buffer_.data();
    if (!ReadAt(0, window, sizeof(kMarker))) {
        return std::nullopt;
    }
    if (std::memcmp(window, kMarker, sizeof(kMarker)) == 0) {
        return 0;
    }
    // A self-extracting archive: a Windows program with the archive appended.
    if (window[0] != 'M' || window[1] != 'Z') {
        return std::nullopt;
    }
    uint64_t limit = size_ < kSelfExtractorLimit ? size_ : kSelfExtractorLimit;
    for (uint64_t offset = 0; offset + sizeof(kMarker) <= limit; offset += kBufferSize - sizeof(kMarker)) {
        DWORD piece = static_cast<DWORD>(limit - offset < kBufferSize ? limit - offset : kBufferSize);
        if (!ReadAt(offset, window, piece)) {
            return std::nullopt;
        }
        for (DWORD i = 0; i + sizeof(kMarker) <= piece; ++i) {
            if (window[i] == kMarker[0] && std::memcmp(window + i, kMarker, sizeof(kMarker)) == 0) {
                return offset + i;
            }
        }
    }
    return std::nullopt;
}

int Archive::ReadMainHeader() {
    auto marker = FindMarker();
    if (!marker) {
        unsigned char start[sizeof(kMarkerRar5)];
        bool rar5 = ReadAt(0, start, sizeof(kMarkerRar5)) &&
                    std::memcmp(start, kMarkerRar5, sizeof(kMarkerRar5)) == 0;
        return rar5 ? ERAR_UNKNOWN_FORMAT : ERAR_BAD_ARCHIVE;
    }
    uint64_t mainAt = *marker + sizeof(kMarker);
    BlockHeader header;
    uint64_t dataSize = 0;
    unsigned char base[kBaseHeaderSize];
    if (!ReadAt(mainAt, base, kBaseHeaderSize)) {
        return ERAR_BAD_ARCHIVE;
    }
    header = ParseBlockHeader(base);
    if (header.type != kMainBlock || header.size < kMainHeaderSize) {
        return ERAR_BAD_ARCHIVE;
    }
    if (!ReadBlock(mainAt, header, dataSize)) {
        return ERAR_BAD_DATA;
    }
    mainFlags_ = header.flags;
    // Encrypted headers cannot even be listed without the password, which is set only after opening.
    if (mainFlags_ & kMainEncryptedHeaders) {
        return ERAR_MISSING_PASSWORD;
    }
    next_ = mainAt + header.size;
    return ERAR_SUCCESS;
}

bool Archive::ReadBlock(uint64_t offset, BlockHeader& header, uint64_t& dataSize) {
    unsigned char base[kBaseHeaderSize];
    if (!ReadAt(offset, base, kBaseHeaderSize)) {
        return false;
    }
    header = ParseBlockHeader(base);
    if (header.size < kBaseHeaderSize) {
        return false;
    }
    header_.resize(header.size);
    if (!ReadAt(offset, header_.data(), header.size) || !HeaderCrcMatches(header, header_.data())) {
        return false;
    }
    auto size = DataSize(header, header_.data());
    dataSize = size.value_or(0);
    return size.has_value();
}

int Archive::ReadHeader() {
    haveEntry_ = false;
    while (!atEnd_) {
        if (next_ == size_) {
            atEnd_ = true;
            break;
        }
        BlockHeader header;
        uint64_t dataSize = 0;
        if (!ReadBlock(next_, header, dataSize)) {
            return ERAR_BAD_DATA;
        }
        uint64_t dataAt = next_ + header.size;
        if (header.type == kEndBlock) {
            next_ = dataAt;
            atEnd_ = true;
            break;
        }
        if (header.type == kFileBlock) {
            int taken = TakeFileBlock(header, dataAt, dataSize);
            if (taken != kPassedOver) {
                return taken;
            }
            continue;
        }
        if (dataSize > size_ - dataAt) {
            return ERAR_BAD_DATA;
        }
        next_ = dataAt + dataSize;
    }
    return ERAR_END_ARCHIVE;
}

int Archive::TakeFileBlock(const BlockHeader& header, uint64_t dataAt, uint64_t dataSize) {
    auto entry = ParseFileHeader(header, header_.data());
    if (!entry) {
        return ERAR_BAD_DATA;
    }
    bool dataFits = dataSize <= size_ - dataAt;
    // The rest of a file begun in an earlier volume is shown only to those who ask for it.
    if ((entry->flags & kFileSplitBefore) && openMode_ != RAR_OM_LIST_INCSPLIT && dataFits) {
        next_ = dataAt + dataSize;
        return kPassedOver;
    }
    entry_ = std::move(*entry);
    dataAt_ = dataAt;
    // An entry whose data runs past the end is still listed; reading its data, or past it, is 12.
    next_ = dataFits ? dataAt + dataSize : size_ + 1;
    haveEntry_ = true;
    return ERAR_SUCCESS;
}

int Archive::CheckUnpackable() const {
    if (entry_.flags & kFileEncrypted) {
        return passwordGiven_ ? ERAR_UNKNOWN_FORMAT : ERAR_MISSING_PASSWORD;
    }
    if (entry_.IsDirectory()) {
        return ERAR_SUCCESS;
    }
    if (entry_.method != kMethodStore || (entry_.flags & (kFileSplitBefore | kFileSplitAfter))) {
        return ERAR_UNKNOWN_FORMAT;
    }
    if (entry_.packSize != entry_.unpSize) {
        return ERAR_BAD_DATA;
    }
    return ERAR_SUCCESS;
}

bool Archive::ReportData(unsigned char* data, DWORD size) {
    if (callback_ && callback_(UCM_PROCESSDATA, userData_, reinterpret_cast<LPARAM>(data), size) == -1) {
        return false;
    }
    return !processDataProc_ || processDataProc_(data, static_cast<int>(size)) != 0;
}

int Archive::StreamData(HANDLE output) {
    uint64_t remaining = entry_.packSize;
    if (dataAt_ > size_ || remaining > size_ - dataAt_ || !Seek(dataAt_)) {
        return ERAR_BAD_DATA;
    }
    uint32_t crc = 0;
    while (remaining > 0) {
        DWORD piece = remaining < kBufferSize ? static_cast<DWORD>(remaining) : kBufferSize;
        DWORD read = 0;
        if (!ReadFile(file_.get(), buffer_.data(), piece, &read, nullptr) || read != piece) {
            return ERAR_BAD_DATA;
        }
        crc = Crc32(crc, buffer_.data(), piece);
        DWORD written = 0;
        if (output && (!WriteFile(output, buffer_.data(), piece, &written, nullptr) || written != piece)) {
            return ERAR_EWRITE;
        }
        if (!ReportData(buffer_.data(), piece)) {
            return ERAR_UNKNOWN;
        }
        remaining -= piece;
    }
    return crc == entry_.fileCrc ? ERAR_SUCCESS : ERAR_BAD_DATA;
}

int Archive::Extract(const std::wstring& destPath, const std::wstring& destName) {
    std::wstring target = destName;
    if (target.empty()) {
        auto relative = SafeRelativePath(entry_.name);
        auto under = relative ? PathUnder(destPath, *relative) : std::nullopt;
        if (!under) {
            return ERAR_ECREATE;
        }
        target = *under;
    }
    if (entry_.IsDirectory()) {
        return CreateFolderPath(target) ? ERAR_SUCCESS : ERAR_ECREATE;
    }
    if (!CreateParentFolders(target)) {
        return ERAR_ECREATE;
    }
    win::File file = CreateOutput(target);
    if (!file) {
        return ERAR_ECREATE;
    }
    PartialOutput output(std::move(file), target);
    int result = StreamData(output.get());
    if (result == ERAR_SUCCESS) {
        output.Keep(entry_);
    }
    return result;
}

int Archive::ProcessFile(int operation, const std::wstring& destPath, const std::wstring& destName) {
    // Each header read is processed once; there is nothing to process before the first.
    if (!haveEntry_) {
        return atEnd_ ? ERAR_END_ARCHIVE : ERAR_UNKNOWN;
    }
    haveEntry_ = false;
    if (openMode_ != RAR_OM_EXTRACT || operation == RAR_SKIP) {
        return ERAR_SUCCESS;
    }
    if (operation != RAR_TEST && operation != RAR_EXTRACT) {
        return ERAR_UNKNOWN;
    }
    int result = CheckUnpackable();
    if (result != ERAR_SUCCESS) {
        return result;
    }
    if (operation == RAR_TEST) {
        return entry_.IsDirectory() ? ERAR_SUCCESS : StreamData(nullptr);
    }
    return Extract(destPath, destName);
}

} // namespace rar

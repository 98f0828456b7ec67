#include "files/FileTool.h"

#include "files/Archives.h"
#include "files/Platform.h"
#include "formats/FileDatabase.h"
#include "formats/FileNames.h"
#include "formats/PdbFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>

namespace files {
namespace {

using formats::kDataRecordSize;

// Files larger than this show their progress on a terminal.
constexpr uint64_t kProgressThreshold = 4u << 20;
constexpr size_t kStreamBuffer = 1 << 20;
// Data is copied in pieces of 32 records: the records of a file lie one after the other.
constexpr size_t kCopyPiece = 32 * kDataRecordSize;

} // namespace

// A temporary file in the output folder: given its real name only when whole, removed otherwise.
class TempFile {
public:
    explicit TempFile(const std::string& folder) : folder_(folder) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        Close();
        if (!path_.empty()) {
            std::remove(path_.c_str());
        }
    }

    bool Create() {
        static std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
            char name[48];
            std::snprintf(name, sizeof(name), ".kestrin-files-%08x.tmp", static_cast<unsigned>(random()));
            path_ = JoinPath(folder_, name);
            file_ = CreateNewFile(path_);
        }
        if (file_ == nullptr) {
            path_.clear();
            return false;
        }
        std::setvbuf(file_, nullptr, _IOFBF, kStreamBuffer);
        return true;
    }
    std::FILE* file() const { return file_; }
    const std::string& path() const { return path_; }
    // Closes the file; true when every byte was written.
    bool Close() {
        if (file_ == nullptr) {
            return true;
        }
        bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
        ok = std::fclose(file_) == 0 && ok;
        file_ = nullptr;
        return ok;
    }
    Placed PlaceAs(const std::string& target, bool replace) {
        Placed placed = PlaceFile(path_, target, replace);
        if (placed == Placed::Done) {
            path_.clear();
        }
        return placed;
    }

private:
    std::string folder_;
    std::string path_;
    std::FILE* file_ = nullptr;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

namespace {

std::string ExistsReason(const std::string& target) {
    return target + " already exists (--overwrite replaces it)";
}

std::string Quoted(const std::string& text) {
    return "\"" + formats::PrintableName(text) + "\"";
}

std::string CompressionName(uint32_t compression) {
    switch (compression) {
    case formats::kNotCompressed:
        return "none";
    case formats::kZipArchive:
        return "zip";
    case formats::kRarArchive:
        return "rar";
    default:
        return "unknown";
    }
}

// The header of a file database to be written: the shared rules, with this PC's clock.
formats::DatabaseHeader FileDatabaseHeader(const std::string& name) {
    formats::DatabaseHeader header;
    header.name = name;
    header.version = formats::kFileDatabaseVersion;
    header.type = formats::kFileDatabaseType;
    header.creator = formats::kFileDatabaseCreator;
    header.creationDate = header.modificationDate = PalmTimeNow();
    return header;
}

// The header of the handheld application's queue database.
formats::DatabaseHeader QueueDatabaseHeader() {
    formats::DatabaseHeader header = FileDatabaseHeader(formats::kQueueDatabaseName);
    header.type = formats::kQueueDatabaseType;
    header.version = 0;
    return header;
}

// Record sizes of a file database: the header, then the transferred bytes in records of 32 768.
std::vector<uint32_t> FileRecordSizes(uint64_t transferred) {
    std::vector<uint32_t> sizes{formats::kFileHeaderSize};
    for (uint64_t left = transferred; left > 0; left -= sizes.back()) {
        sizes.push_back(left < kDataRecordSize ? static_cast<uint32_t>(left) : kDataRecordSize);
    }
    return sizes;
}

} // namespace

bool FileTool::PrepareOutputFolder() {
    std::error_code error;
    if (IsFolder(options_.outputFolder) ||
        std::filesystem::create_directories(options_.outputFolder, error)) {
        return true;
    }
    observer_.Failed(options_.outputFolder, "the output folder cannot be made");
    return false;
}

namespace {

// The header record of a packed file: its size, dates, name and how the bytes that follow travel.
formats::FileHeader PackedHeader(const SourceFile& source, const formats::HandheldName& name, bool zip) {
    formats::FileHeader header = {};
    formats::SetCompression(header, zip ? formats::kZipArchive : formats::kNotCompressed);
    formats::SetFileSize(header, static_cast<uint32_t>(source.size));
    formats::SetModification(header, source.lastWrite);
    formats::SetTransfer(header, LocalNow());
    formats::SetName(header, name);
    return header;
}

} // namespace

std::string FileTool::CopyIntoRecords(const std::string& path, std::FILE* in, uint64_t total,
                                      formats::PdbWriter& writer) {
    std::vector<char> piece(kCopyPiece);
    for (uint64_t done = 0; done < total;) {
        size_t size = static_cast<size_t>(std::min<uint64_t>(piece.size(), total - done));
        if (std::fread(piece.data(), 1, size, in) != size) {
            return "changed or could not be read while it was packed";
        }
        if (!writer.WriteData(piece.data(), size)) {
            return "cannot be written into " + options_.outputFolder;
        }
        done += size;
        if (total > kProgressThreshold) {
            observer_.Progress(path, done, total);
        }
    }
    return std::fgetc(in) != EOF ? "changed while it was packed" : std::string();
}

bool FileTool::PlanPack(const std::string& path, SourceFile& source, formats::HandheldName& name,
                        std::string& target) {
    if (!ReadSourceFile(path, source)) {
        observer_.Failed(path, "is not a file that can be read");
        return false;
    }
    name = formats::MakeHandheldName(BaseName(path));
    if (source.size > 0xFFFFFFFFull) {
        observer_.Failed(path, "is 4 GB or larger: its size does not fit a file header");
        return false;
    }
    target = JoinPath(options_.outputFolder, name.name + name.extension + ".pdb");
    if (!options_.overwrite && PathExists(target)) {
        observer_.Failed(path, ExistsReason(target));
        return false;
    }
    return true;
}

std::string FileTool::OpenTransferred(const std::string& path, TempFile& archive, InputFile& in,
                                      SourceFile& transferred) {
    // With --zip the bytes that travel are those of a zip archive of the file.
    std::string transferredPath = path;
    if (options_.zip) {
        std::string error;
        if (!archive.Create() || !WriteZip(path, BaseName(path), archive.file(), error) || !archive.Close()) {
            return error.empty() ? "its zip archive cannot be written" : error;
        }
        transferredPath = archive.path();
    }
    in.reset(std::fopen(transferredPath.c_str(), "rb"));
    if (!in || !ReadSourceFile(transferredPath, transferred)) {
        return "cannot be opened";
    }
    if (transferred.size > formats::kMaxTransferBytes) {
        return "is too large for a file database (at most 65 535 records of 32 768 bytes)";
    }
    std::setvbuf(in.get(), nullptr, _IONBF, 0);
    return std::string();
}

std::string FileTool::WriteFileDatabase(const std::string& path, std::FILE* in, uint64_t size,
                                        const formats::FileHeader& header, const std::string& databaseName,
                                        TempFile& out) {
    formats::PdbWriter writer;
    if (!out.Create() ||
        !writer.Begin(out.file(), FileDatabaseHeader(databaseName), FileRecordSizes(size),
                      formats::kRecordDirty) ||
        !writer.WriteRecord(&header, sizeof(header))) {
        return "cannot be written into " + options_.outputFolder;
    }
    const std::string error = CopyIntoRecords(path, in, size, writer);
    if (!error.empty()) {
        return error;
    }
    return out.Close() ? std::string() : "cannot be written into " + options_.outputFolder;
}

bool FileTool::Pack(const std::string& path) {
    SourceFile source;
    formats::HandheldName handheldName;
    std::string target;
    if (!PlanPack(path, source, handheldName, target)) {
        return false;
    }
    const std::string databaseName = handheldName.name + handheldName.extension;
    TempFile archive(options_.outputFolder);
    TempFile out(options_.outputFolder);
    InputFile in;
    SourceFile transferred;
    std::string error = OpenTransferred(path, archive, in, transferred);
    if (error.empty()) {
        error = WriteFileDatabase(path, in.get(), transferred.size,
                                  PackedHeader(source, handheldName, options_.zip), databaseName, out);
    }
    if (!error.empty()) {
        observer_.Failed(path, error);
        return false;
    }
    Placed placed = out.PlaceAs(target, options_.overwrite);
    if (placed != Placed::Done) {
        observer_.Failed(path, placed == Placed::Exists ? ExistsReason(target) : "cannot be named " + target);
        return false;
    }
    observer_.Done("packed " + path + " into " + target + " (" + Quoted(databaseName) + ", " +
                   std::to_string(transferred.size) + " bytes" + (options_.zip ? " of zip archive" : "") +
                   ")");
    return true;
}

namespace {

// A Kestrin file database opened for unpacking: its header checked, its data records read in turn.
struct FileDatabaseReader {
    formats::PdbReader pdb;
    formats::FileHeader header = {};
    std::string pcName;

    bool Open(const std::string& path, std::string& error) {
        if (!pdb.Open(path, error)) {
            return false;
        }
        const formats::DatabaseHeader& info = pdb.Header();
        if (info.IsResourceDatabase() || info.type != formats::kFileDatabaseType ||
            info.creator != formats::kFileDatabaseCreator) {
            error = "is not a Kestrin file database (type " + Quoted(formats::FourCharText(info.type)) +
                    ", creator " + Quoted(formats::FourCharText(info.creator)) + ")";
            return false;
        }
        std::vector<uint8_t> record;
        if (pdb.Entries().empty() || !pdb.ReadRecord(0, record, error) || record.size() < sizeof(header)) {
            error = error.empty() ? "has no 64-byte file header" : error;
            return false;
        }
        header = formats::FileHeaderFromBytes(record.data());
        pcName = formats::HandheldNameOf(header);
        if (!formats::IsSafeFileName(pcName)) {
            error = "names the file " + Quoted(pcName) + ", which is not a plain file name";
            return false;
        }
        if (formats::CompressionOf(header) > formats::kRarArchive) {
            error = "has the unknown compression " + std::to_string(formats::CompressionOf(header));
            return false;
        }
        return true;
    }

    // Copies the data records into `out`: they end at the first record shorter than 32 768 bytes.
    // A file stored as it is must have exactly the header's size.
    bool CopyData(std::FILE* out, std::string& error, const std::function<void(uint64_t)>& progress) {
        const std::vector<formats::RecordEntry>& entries = pdb.Entries();
        uint64_t total = 0;
        for (size_t i = 1; i < entries.size(); ++i) {
            if (entries[i].size > kDataRecordSize) {
                error = "has a data record larger than 32 768 bytes";
                return false;
            }
            total += entries[i].size;
            if (entries[i].size < kDataRecordSize) {
                break;
            }
        }
        uint64_t expected = formats::FileSizeOf(header);
        if (formats::CompressionOf(header) == formats::kNotCompressed && total != expected) {
            error = "holds " + std::to_string(total) + " bytes, its header gives " + std::to_string(expected);
            return false;
        }
        // Each record ends where the next begins: the data is one run of bytes.
        std::vector<char> piece(kCopyPiece);
        for (uint64_t done = 0; done < total;) {
            size_t size = static_cast<size_t>(std::min<uint64_t>(piece.size(), total - done));
            if (!pdb.ReadBytes(entries[1].offset + done, piece.data(), size, error)) {
                return false;
            }
            if (std::fwrite(piece.data(), 1, size, out) != size) {
                error = "cannot be written";
                return false;
            }
            done += size;
            progress(done);
        }
        return true;
    }
};

} // namespace

bool FileTool::Unpack(const std::string& path) {
    FileDatabaseReader database;
    std::string error;
    if (!database.Open(path, error)) {
        observer_.Failed(path, error);
        return false;
    }
    uint64_t expected = formats::FileSizeOf(database.header);
    bool plain = formats::CompressionOf(database.header) == formats::kNotCompressed;
    std::string target = JoinPath(options_.outputFolder, database.pcName);
    if (plain && !options_.overwrite && PathExists(target)) {
        observer_.Failed(path, ExistsReason(target));
        return false;
    }
    TempFile data(options_.outputFolder);
    auto progress = [&](uint64_t done) {
        if (expected > kProgressThreshold) {
            observer_.Progress(path, done, expected);
        }
    };
    if (!data.Create() || !database.CopyData(data.file(), error, progress) || !data.Close()) {
        observer_.Failed(path, error.empty() ? "cannot be written into " + options_.outputFolder : error);
        return false;
    }
    if (plain) {
        Placed placed = data.PlaceAs(target, options_.overwrite);
        if (placed != Placed::Done) {
            observer_.Failed(path,
                             placed == Placed::Exists ? ExistsReason(target) : "cannot be named " + target);
            return false;
        }
        observer_.Done("unpacked " + path + " into " + target + " (" + std::to_string(expected) + " bytes)");
        return true;
    }
    return Expand(path, data.path(), expected);
}

namespace {

// Writes the archive's current entry into `out`; the reason of a failure, or "".
std::string ExpandInto(ArchiveReader& archive, TempFile& out, const std::string& folder, uint64_t limit,
                       uint64_t& size, uint64_t& total) {
    std::vector<char> piece(1 << 16);
    std::string error;
    long long read = 0;
    while ((read = archive.Read(piece.data(), piece.size(), error)) > 0) {
        size += static_cast<uint64_t>(read);
        total += static_cast<uint64_t>(read);
        // The header gives the file's size: an archive that expands beyond it is refused.
        if (total > limit) {
            return "its archive expands beyond the " + std::to_string(limit) + " bytes its header gives";
        }
        if (std::fwrite(piece.data(), 1, static_cast<size_t>(read), out.file()) !=
            static_cast<size_t>(read)) {
            return "cannot be written into " + folder;
        }
    }
    if (read < 0) {
        return error.empty() ? "its archive cannot be read" : error;
    }
    return out.Close() ? std::string() : "cannot be written into " + folder;
}

} // namespace

bool FileTool::Expand(const std::string& path, const std::string& archivePath, uint64_t limit) {
    ArchiveReader archive;
    std::string error;
    if (!archive.Open(archivePath, error)) {
        observer_.Failed(path, error);
        return false;
    }
    std::string name;
    bool isFile = false;
    bool whole = true;
    uint64_t total = 0;
    while (archive.Next(name, isFile, error)) {
        const EntryEnd end = ExpandEntry(path, archive, name, isFile, limit, total);
        if (end == EntryEnd::Stopped) {
            return false;
        }
        whole = whole && end == EntryEnd::Written;
    }
    if (!error.empty()) {
        observer_.Failed(path, error);
        return false;
    }
    return whole;
}

FileTool::EntryEnd FileTool::ExpandEntry(const std::string& path, ArchiveReader& archive,
                                         const std::string& name, bool isFile, uint64_t limit,
                                         uint64_t& total) {
    if (!isFile || !formats::IsSafeFileName(name)) {
        observer_.Failed(path, "its archive holds " + Quoted(name) +
                                   ", which is not a plain file name; not written");
        return EntryEnd::Skipped;
    }
    std::string target = JoinPath(options_.outputFolder, name);
    if (!options_.overwrite && PathExists(target)) {
        observer_.Failed(path, ExistsReason(target));
        return EntryEnd::Skipped;
    }
    TempFile out(options_.outputFolder);
    uint64_t size = 0;
    std::string error = out.Create() ? ExpandInto(archive, out, options_.outputFolder, limit, size, total)
                                     : "cannot be written into " + options_.outputFolder;
    if (!error.empty()) {
        observer_.Failed(path, error);
        return EntryEnd::Stopped;
    }
    Placed placed = out.PlaceAs(target, options_.overwrite);
    if (placed != Placed::Done) {
        observer_.Failed(path, placed == Placed::Exists ? ExistsReason(target) : "cannot be named " + target);
        return EntryEnd::Skipped;
    }
    observer_.Done("unpacked " + path + " into " + target + " (" + std::to_string(size) + " bytes)");
    return EntryEnd::Written;
}

bool FileTool::Queue(const std::vector<std::string>& names, const std::string& outputPath) {
    if (names.size() > formats::kMaxQueuedFiles) {
        observer_.Failed(outputPath, "a queue holds at most 65 535 names");
        return false;
    }
    std::vector<uint32_t> sizes{4};
    for (const std::string& name : names) {
        if (!formats::IsValidDatabaseName(name)) {
            observer_.Failed(outputPath, Quoted(name) + " is no database name (1 to 31 characters)");
            return false;
        }
        sizes.push_back(static_cast<uint32_t>(name.size() + 1));
    }
    if (!options_.overwrite && PathExists(outputPath)) {
        observer_.Failed(outputPath, ExistsReason(outputPath));
        return false;
    }
    std::string folder = outputPath.substr(0, outputPath.size() - BaseName(outputPath).size());
    TempFile out(folder.empty() ? "." : folder);
    uint8_t count[4];
    formats::PutBE32(count, static_cast<uint32_t>(names.size()));
    formats::PdbWriter writer;
    bool ok = out.Create() && writer.Begin(out.file(), QueueDatabaseHeader(), sizes, formats::kRecordDirty) &&
              writer.WriteRecord(count, sizeof(count));
    for (const std::string& name : names) {
        ok = ok && writer.WriteRecord(name.c_str(), static_cast<uint32_t>(name.size() + 1));
    }
    Placed placed = ok && out.Close() ? out.PlaceAs(outputPath, options_.overwrite) : Placed::Failed;
    if (placed != Placed::Done) {
        observer_.Failed(outputPath,
                         placed == Placed::Exists ? ExistsReason(outputPath) : "cannot be written");
        return false;
    }
    observer_.Done("wrote " + outputPath + " (" + formats::kQueueDatabaseName + ", " +
                   std::to_string(names.size()) + " queued)");
    return true;
}

bool FileTool::Describe(const std::string& path, DatabaseSummary& summary) {
    formats::PdbReader pdb;
    std::string error;
    if (!pdb.Open(path, error)) {
        observer_.Failed(path, error);
        return false;
    }
    const formats::DatabaseHeader& info = pdb.Header();
    summary.name = info.name;
    summary.type = formats::FourCharText(info.type);
    summary.creator = formats::FourCharText(info.creator);
    summary.records = pdb.Entries().size();
    summary.size = pdb.DataBytes();
    FileDatabaseReader database;
    std::string notKestrin;
    summary.kestrinFile = database.Open(path, notKestrin);
    if (summary.kestrinFile) {
        summary.size = formats::FileSizeOf(database.header);
        summary.compression = CompressionName(formats::CompressionOf(database.header));
        summary.fileName = database.pcName;
    }
    return true;
}

} // namespace files

// The engine of kestrin-files: packs PC files into Kestrin file databases, unpacks them, writes
// the handheld's queue database and describes databases. Every file it is given is untrusted; each
// one that fails is reported to the observer and the next one goes on. A file appears under its
// name only when it is whole.
#pragma once

#include "formats/FileDatabase.h"
#include "formats/PdbFile.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace files {

class ArchiveReader;
class TempFile;
struct FileCloser;
struct SourceFile;
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

struct ToolOptions {
    std::string outputFolder = ".";
    bool zip = false;
    bool overwrite = false;
};

class ToolObserver {
public:
    virtual ~ToolObserver() = default;
    // What was done with one file, in one line.
    virtual void Done(const std::string& line) = 0;
    // Why `file` (or a part of it) was not done.
    virtual void Failed(const std::string& file, const std::string& reason) = 0;
    virtual void Progress(const std::string& file, uint64_t done, uint64_t total) = 0;
};

// What `list` shows of one database.
struct DatabaseSummary {
    std::string name;
    std::string type;
    std::string creator;
    size_t records = 0;
    uint64_t size = 0; // the file's size for a Kestrin file database, else the records' bytes
    bool kestrinFile = false;
    std::string compression; // "none", "zip", "rar", "unknown", or empty when not a Kestrin file
    std::string fileName;    // the PC name its header gives
};

class FileTool {
public:
    FileTool(ToolOptions options, ToolObserver& observer)
        : options_(std::move(options)), observer_(observer) {}

    bool Pack(const std::string& path);
    bool Unpack(const std::string& path);
    bool Queue(const std::vector<std::string>& names, const std::string& outputPath);
    bool Describe(const std::string& path, DatabaseSummary& summary);
    // Makes the output folder when it is missing.
    bool PrepareOutputFolder();

private:
    enum class EntryEnd { Written, Skipped, Stopped };

    bool Expand(const std::string& path, const std::string& archivePath, uint64_t limit);
    // Writes one entry of an expanding archive under its own name in the output folder.
    EntryEnd ExpandEntry(const std::string& path, ArchiveReader& archive, const std::string& name,
                         bool isFile, uint64_t limit, uint64_t& total);
    // Reads the file to pack and settles the database file's path; false when it cannot be packed.
    bool PlanPack(const std::string& path, SourceFile& source, formats::HandheldName& name,
                  std::string& target);
    // Opens the bytes that travel (the file, or with --zip a zip archive of it in `archive`).
    std::string OpenTransferred(const std::string& path, TempFile& archive, InputFile& in,
                                SourceFile& transferred);
    // Writes the header record and the data records into `out` and closes it.
    std::string WriteFileDatabase(const std::string& path, std::FILE* in, uint64_t size,
                                  const formats::FileHeader& header, const std::string& databaseName,
                                  TempFile& out);
    // Copies `total` bytes of `in` into the database's data records; the reason of a failure, or "".
    std::string CopyIntoRecords(const std::string& path, std::FILE* in, uint64_t total,
                                formats::PdbWriter& writer);

    ToolOptions options_;
    ToolObserver& observer_;
};

} // namespace files

// Zip and rar archives through libarchive: a zip of one file for packing, and the entries of a
// received zip or rar for unpacking.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct archive;

namespace files {

// Writes into `out` a zip archive holding the file `source` under the name `entryName`, deflated.
bool WriteZip(const std::string& source, const std::string& entryName, std::FILE* out, std::string& error);

// The entries of a zip or rar archive, one after the other, each read in pieces.
class ArchiveReader {
public:
    ArchiveReader();
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    bool Open(const std::string& path, std::string& error);
    // The next entry: false at the end (`error` empty) or on a damaged archive (`error` set).
    bool Next(std::string& name, bool& isFile, std::string& error);
    // Up to `size` bytes of the current entry: 0 at its end, -1 on damage (`error` set).
    long long Read(void* buffer, size_t size, std::string& error);

private:
    archive* archive_;
};

} // namespace files

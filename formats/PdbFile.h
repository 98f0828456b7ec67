// Whole .pdb files as streams: the header and the record list first, then one record at a time, so
// that memory stays flat whatever the size of the database.
#pragma once

#include "formats/PalmDatabase.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace formats {

class PdbReader {
public:
    PdbReader() = default;
    PdbReader(const PdbReader&) = delete;
    PdbReader& operator=(const PdbReader&) = delete;
    ~PdbReader();

    // Reads the header and the record list and checks that every block lies in the file; `error`
    // says what is wrong otherwise.
    bool Open(const std::string& path, std::string& error);

    const DatabaseHeader& Header() const { return header_; }
    const std::vector<RecordEntry>& Entries() const { return entries_; }
    uint64_t DataBytes() const { return layout_.dataBytes; }

    // Reads record `index` into `data`, which takes the record's size; records read in order are
    // read without a seek.
    bool ReadRecord(size_t index, std::vector<uint8_t>& data, std::string& error);
    // Reads `size` bytes from `offset` of the file (records that follow one another are one run).
    bool ReadBytes(uint64_t offset, void* buffer, size_t size, std::string& error);

private:
    // The header and the file's size; then the record list, which must fit that size.
    bool ReadHeader(uint64_t& size, std::string& error);
    bool ReadEntries(uint64_t size, std::string& error);

    std::FILE* file_ = nullptr;
    uint64_t position_ = 0;
    DatabaseHeader header_;
    std::vector<RecordEntry> entries_;
    Layout layout_;
};

// Writes a record database whose record sizes are known in advance: the header and the list at
// once, then each record in turn. The caller owns the file.
class PdbWriter {
public:
    // Each record gets the attributes `attributes` and the unique ID of its index + 1.
    bool Begin(std::FILE* file, DatabaseHeader header, const std::vector<uint32_t>& recordSizes,
               uint8_t attributes);
    // The next record, which must have the size given to Begin.
    bool WriteRecord(const void* data, uint32_t size);
    // The bytes of the next records, in pieces of any size: a large file streams in large pieces.
    bool WriteData(const void* data, size_t size);
    // True when every record was written.
    bool Complete() const { return next_ == sizes_.size(); }

private:
    std::FILE* file_ = nullptr;
    std::vector<uint32_t> sizes_;
    size_t next_ = 0;
    uint32_t filled_ = 0; // bytes of record next_ written so far
};

} // namespace formats

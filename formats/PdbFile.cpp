#include "formats/PdbFile.h"

#include <algorithm>
#include <limits>

namespace formats {
namespace {

// Files are read through a large buffer: records are small, the files may be large.
constexpr size_t kStreamBuffer = 1 << 20;

bool SeekTo(std::FILE* file, uint64_t offset) {
    return offset <= static_cast<uint64_t>(std::numeric_limits<long>::max()) &&
           std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

bool FileSize(std::FILE* file, uint64_t& size) {
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return false;
    }
    long end = std::ftell(file);
    if (end < 0) {
        return false;
    }
    size = static_cast<uint64_t>(end);
    return std::fseek(file, 0, SEEK_SET) == 0;
}

} // namespace

PdbReader::~PdbReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool PdbReader::Open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        error = "cannot be opened";
        return false;
    }
    std::setvbuf(file_, nullptr, _IOFBF, kStreamBuffer);
    uint64_t size = 0;
    return ReadHeader(size, error) && ReadEntries(size, error);
}

bool PdbReader::ReadHeader(uint64_t& size, std::string& error) {
    uint8_t raw[kHeaderSize];
    if (!FileSize(file_, size)) {
        error = "cannot be read";
        return false;
    }
    if (size < kHeaderSize || std::fread(raw, 1, kHeaderSize, file_) != kHeaderSize) {
        error = "is shorter than a Palm database header";
        return false;
    }
    if (size > 0xFFFFFFFFull) {
        error = "is larger than a Palm database can be";
        return false;
    }
    if (!DecodeHeader(raw, header_)) {
        error = "has no valid database name";
        return false;
    }
    return true;
}

bool PdbReader::ReadEntries(uint64_t size, std::string& error) {
    uint32_t entriesEnd = header_.EntriesEnd(header_.recordCount);
    if (header_.nextRecordListId != 0 || entriesEnd > size) {
        error = "has a record list that does not fit the file";
        return false;
    }
    std::vector<uint8_t> list(entriesEnd - kHeaderSize);
    if (!list.empty() && std::fread(list.data(), 1, list.size(), file_) != list.size()) {
        error = "cannot be read";
        return false;
    }
    position_ = entriesEnd;
    for (size_t i = 0; i < header_.recordCount; ++i) {
        entries_.push_back(DecodeEntry(list.data() + i * header_.EntrySize(), header_.IsResourceDatabase()));
    }
    if (!MeasureLayout(header_, entries_, static_cast<uint32_t>(size), layout_)) {
        error = "has records out of place (offsets out of range, overlapping or out of order)";
        return false;
    }
    return true;
}

bool PdbReader::ReadRecord(size_t index, std::vector<uint8_t>& data, std::string& error) {
    const RecordEntry& entry = entries_.at(index);
    data.resize(entry.size);
    return ReadBytes(entry.offset, data.data(), entry.size, error);
}

bool PdbReader::ReadBytes(uint64_t offset, void* buffer, size_t size, std::string& error) {
    if (position_ != offset && !SeekTo(file_, offset)) {
        error = "cannot be read";
        return false;
    }
    position_ = offset;
    if (size > 0 && std::fread(buffer, 1, size, file_) != size) {
        error = "ends before its last record";
        return false;
    }
    position_ += size;
    return true;
}

bool PdbWriter::Begin(std::FILE* file, DatabaseHeader header, const std::vector<uint32_t>& recordSizes,
                      uint8_t attributes) {
    if (recordSizes.size() > kMaxRecordCount || header.IsResourceDatabase()) {
        return false;
    }
    file_ = file;
    sizes_ = recordSizes;
    next_ = 0;
    header.recordCount = static_cast<uint16_t>(recordSizes.size());
    header.appInfoOffset = header.sortInfoOffset = header.nextRecordListId = 0;
    header.uniqueIdSeed = static_cast<uint32_t>(recordSizes.size()) + 1;
    uint64_t offset = header.EntriesEnd(recordSizes.size()) + kPaddingSize;
    std::vector<uint8_t> prefix(offset, 0);
    EncodeHeader(header, prefix.data());
    for (size_t i = 0; i < recordSizes.size(); ++i) {
        if (offset > 0xFFFFFFFFull) {
            return false;
        }
        RecordEntry entry;
        entry.offset = static_cast<uint32_t>(offset);
        entry.attributes = attributes;
        entry.uniqueId = static_cast<uint32_t>(i + 1);
        EncodeEntry(entry, false, prefix.data() + kHeaderSize + i * kRecordEntrySize);
        offset += recordSizes[i];
    }
    return std::fwrite(prefix.data(), 1, prefix.size(), file_) == prefix.size();
}

bool PdbWriter::WriteRecord(const void* data, uint32_t size) {
    if (filled_ != 0 || next_ >= sizes_.size() || sizes_[next_] != size) {
        return false;
    }
    if (size == 0) {
        ++next_;
        return true;
    }
    return WriteData(data, size);
}

bool PdbWriter::WriteData(const void* data, size_t size) {
    for (size_t left = size; left > 0;) {
        if (next_ >= sizes_.size()) {
            return false;
        }
        size_t take = std::min<size_t>(left, sizes_[next_] - filled_);
        left -= take;
        filled_ += static_cast<uint32_t>(take);
        if (filled_ == sizes_[next_]) {
            ++next_;
            filled_ = 0;
        }
    }
    return std::fwrite(data, 1, size, file_) == size;
}

} // namespace formats

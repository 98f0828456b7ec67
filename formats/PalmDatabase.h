// The Palm database file (.pdb/.prc), in standard C++ only: a 78-byte big-endian header, one entry
// per record or resource, two zero bytes, then the appInfo and sortInfo blocks and the records' data,
// each block ending where the next begins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace formats {

constexpr uint32_t kHeaderSize = 78;
constexpr uint32_t kRecordEntrySize = 8;
constexpr uint32_t kResourceEntrySize = 10;
constexpr uint32_t kPaddingSize = 2;
constexpr size_t kMaxNameLength = 31;
constexpr uint32_t kMaxRecordCount = 0xFFFF;
// The record block's buffer size is 16-bit: no larger record could be read back.
constexpr uint32_t kMaxRecordSize = 0xFFFF;

constexpr uint16_t kAttrResource = 0x0001;
constexpr uint16_t kAttrBackup = 0x0008;
// Record attributes: flags in the high nibble, category in the low one.
constexpr uint8_t kRecordDirty = 0x40;

// Seconds between 1904-01-01 (Palm's epoch) and 1970-01-01.
constexpr uint32_t kPalmEpochOffset = 2082844800u;

struct DatabaseHeader {
    std::string name;
    uint16_t attributes = 0;
    uint16_t version = 0;
    uint32_t creationDate = 0;
    uint32_t modificationDate = 0;
    uint32_t backupDate = 0;
    uint32_t modificationNumber = 0;
    uint32_t appInfoOffset = 0;
    uint32_t sortInfoOffset = 0;
    uint32_t type = 0;
    uint32_t creator = 0;
    uint32_t uniqueIdSeed = 0;
    uint32_t nextRecordListId = 0;
    uint16_t recordCount = 0;

    bool IsResourceDatabase() const { return (attributes & kAttrResource) != 0; }
    uint32_t EntrySize() const { return IsResourceDatabase() ? kResourceEntrySize : kRecordEntrySize; }
    // The end of the record list: where the padding starts.
    uint32_t EntriesEnd(size_t count) const {
        return kHeaderSize + static_cast<uint32_t>(count) * EntrySize();
    }
};

// One entry of the record list; `size` follows from the layout, not from the file.
struct RecordEntry {
    uint8_t attributes = 0; // record databases
    uint32_t uniqueId = 0;  // record databases: 24 bits
    uint32_t resourceType = 0;
    uint16_t resourceId = 0;
    uint32_t offset = 0;
    uint32_t size = 0;
};

inline uint16_t GetBE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t GetBE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}
inline void PutBE16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value >> 8);
    p[1] = static_cast<uint8_t>(value);
}
inline void PutBE32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

// Four characters packed with the first one as the most significant byte ("DaTa" = 0x44615461).
uint32_t FourCharCode(const char* text);
std::string FourCharText(uint32_t code);

// A Palm name has 1 to 31 characters, any byte but 0.
bool IsValidDatabaseName(const std::string& name);

void EncodeHeader(const DatabaseHeader& header, uint8_t out[kHeaderSize]);
// Fails when the name field holds no terminated name of 1 to 31 characters.
bool DecodeHeader(const uint8_t in[kHeaderSize], DatabaseHeader& header);

// One entry of `entrySize` bytes (kRecordEntrySize or kResourceEntrySize).
void EncodeEntry(const RecordEntry& entry, bool resource, uint8_t* out);
RecordEntry DecodeEntry(const uint8_t* in, bool resource);

struct Layout {
    uint32_t appInfoSize = 0;
    uint32_t sortInfoSize = 0;
    uint64_t dataBytes = 0;
};

// Checks that the blocks follow one another in a file of `fileSize` bytes (the appInfo and sortInfo
// blocks after the list, each record at or after the one before it, none past the end) and gives
// every entry its size. Fails on any block out of place.
template <class Entry>
bool MeasureLayout(const DatabaseHeader& header, std::vector<Entry>& entries, uint32_t fileSize, Layout& out);

} // namespace formats

#include "formats/PalmDatabaseLayout.inl"

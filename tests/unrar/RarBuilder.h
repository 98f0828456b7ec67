// RAR 4.x archives built byte by byte from the format's description, independent of the package
// writer and of the library under test, with switches to break them in chosen ways.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rartest {

uint32_t Crc32(const std::string& bytes);

struct Entry {
    std::string name;
    std::string data;
    uint8_t method = 0x30;
    uint16_t extraFlags = 0; // added to 0x8000
    uint8_t hostOs = 2;
    uint32_t attributes = 0x20;
    uint32_t dosTime = 0x5A8B6C21; // 2025-04-11 13:33:02
    bool corruptCrc = false;       // the data CRC-32 off by one
    bool large = false;            // flag 0x0100 and the sizes' high halves (zero) before the name
};

// A block: HEAD_CRC over HEAD_TYPE..end, then the header. `body` follows HEAD_SIZE.
std::string Block(uint8_t type, uint16_t flags, const std::string& body);
std::string FileBlock(const Entry& entry);
inline const std::string kMarker("Rar!\x1a\x07\x00", 7);
std::string MainHeader(uint16_t flags = 0);
std::string EndBlock();

// Marker, main header, each entry's header and data, end block.
std::string Archive(const std::vector<Entry>& entries, bool withEnd = true);

// Offsets inside an archive of FileBlock entries: where the n-th file header starts.
size_t FileHeaderOffset(const std::string& archive, int index);
// Sets HEAD_CRC of the block at `offset` right again after its bytes were changed.
void FixHeaderCrc(std::string& archive, size_t offset);

void PutU16(std::string& bytes, size_t offset, uint16_t value);
void PutU32(std::string& bytes, size_t offset, uint32_t value);

} // namespace rartest

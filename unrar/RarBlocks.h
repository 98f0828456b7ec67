// The blocks of a RAR 4.x archive, read from their bytes. Every block starts with HEAD_CRC u16,
// HEAD_TYPE u8, HEAD_FLAGS u16, HEAD_SIZE u16 (little-endian); a block whose flags hold
// kLongBlock carries ADD_SIZE u32 more bytes after its header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rar {

inline constexpr unsigned char kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
// A RAR 5 archive starts with the same six bytes, then 01 00.
inline constexpr unsigned char kMarkerRar5[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};

inline constexpr unsigned kBaseHeaderSize = 7;
inline constexpr unsigned kMainHeaderSize = 13;
inline constexpr unsigned kFileHeaderSize = 32;

enum BlockType : uint8_t {
    kMarkerBlock = 0x72,
    kMainBlock = 0x73,
    kFileBlock = 0x74,
    kServiceBlock = 0x7A,
    kEndBlock = 0x7B,
};

enum MainFlags : uint16_t {
    kMainVolume = 0x0001,
    kMainComment = 0x0002,
    kMainLock = 0x0004,
    kMainSolid = 0x0008,
    kMainNewNumbering = 0x0010,
    kMainAuthenticity = 0x0020,
    kMainRecovery = 0x0040,
    kMainEncryptedHeaders = 0x0080,
    kMainFirstVolume = 0x0100,
};

enum FileFlags : uint16_t {
    kFileSplitBefore = 0x0001,
    kFileSplitAfter = 0x0002,
    kFileEncrypted = 0x0004,
    kFileSolid = 0x0010,
    kFileDictionaryMask = 0x00E0, // all three bits set: a directory
    kFileLarge = 0x0100,          // high halves of the sizes follow the attributes
    kFileUnicodeName = 0x0200,
    kLongBlock = 0x8000,
};

inline constexpr uint8_t kMethodStore = 0x30;

struct BlockHeader {
    uint16_t crc = 0;
    uint8_t type = 0;
    uint16_t flags = 0;
    uint16_t size = 0;
};

// The first seven bytes of a block.
BlockHeader ParseBlockHeader(const unsigned char* bytes);

// Whether HEAD_CRC matches the header's bytes. The main header of old archives sums only its fixed
// part (an old-style comment follows it inside the header), so both sums are accepted there.
bool HeaderCrcMatches(const BlockHeader& header, const unsigned char* bytes);

// How many bytes follow a block's header before the next block (ADD_SIZE, with the high half
// of a large file or service block), or nothing when the header is too short to say.
std::optional<uint64_t> DataSize(const BlockHeader& header, const unsigned char* bytes);

struct FileEntry {
    uint16_t flags = 0;
    uint64_t packSize = 0;
    uint64_t unpSize = 0;
    uint8_t hostOs = 0;
    uint32_t fileCrc = 0;
    uint32_t fileTime = 0;
    uint8_t unpVer = 0;
    uint8_t method = 0;
    uint32_t attributes = 0;
    std::wstring name; // as stored, separators not yet changed

    bool IsDirectory() const { return (flags & kFileDictionaryMask) == kFileDictionaryMask; }
};

// A file header's fields, or nothing when they do not fit in its HEAD_SIZE.
std::optional<FileEntry> ParseFileHeader(const BlockHeader& header, const unsigned char* bytes);

} // namespace rar

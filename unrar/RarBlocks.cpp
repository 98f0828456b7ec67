#include "unrar/RarBlocks.h"

#include "unrar/Crc32.h"
#include "win/Paths.h"

#include <windows.h>

namespace rar {
namespace {

uint16_t U16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const unsigned char* p) {
    return U16(p) | (static_cast<uint32_t>(U16(p + 2)) << 16);
}

bool CrcOver(uint16_t expected, const unsigned char* bytes, size_t end) {
    return (Crc32(0, bytes + 2, end - 2) & 0xFFFF) == expected;
}

// A name without the Unicode flag is in the OEM code page; with it, either UTF-8, or an OEM name,
// a zero byte and RAR's packed Unicode form, of which the OEM part is used.
std::wstring DecodeName(const unsigned char* bytes, size_t size, bool unicode) {
    std::string raw(reinterpret_cast<const char*>(bytes), size);
    UINT codePage = CP_OEMCP;
    auto zero = raw.find('\0');
    if (zero != std::string::npos) {
        raw.resize(zero);
    } else if (unicode) {
        codePage = CP_UTF8;
    }
    return win::ToWide(raw, codePage);
}

} // namespace

BlockHeader ParseBlockHeader(const unsigned char* bytes) {
    return BlockHeader{U16(bytes), bytes[2], U16(bytes + 3), U16(bytes + 5)};
}

bool HeaderCrcMatches(const BlockHeader& header, const unsigned char* bytes) {
    if (CrcOver(header.crc, bytes, header.size)) {
        return true;
    }
    return header.type == kMainBlock && header.size > kMainHeaderSize &&
           CrcOver(header.crc, bytes, kMainHeaderSize);
}

std::optional<uint64_t> DataSize(const BlockHeader& header, const unsigned char* bytes) {
    if (!(header.flags & kLongBlock)) {
        return 0;
    }
    if (header.size < kBaseHeaderSize + 4) {
        return std::nullopt;
    }
    uint64_t size = U32(bytes + 7);
    bool hasHighHalf =
        (header.type == kFileBlock || header.type == kServiceBlock) && (header.flags & kFileLarge);
    if (hasHighHalf) {
        if (header.size < kFileHeaderSize + 8) {
            return std::nullopt;
        }
        size |= static_cast<uint64_t>(U32(bytes + kFileHeaderSize)) << 32;
    }
    return size;
}

std::optional<FileEntry> ParseFileHeader(const BlockHeader& header, const unsigned char* bytes) {
    if (header.size < kFileHeaderSize || !(header.flags & kLongBlock)) {
        return std::nullopt;
    }
    FileEntry entry;
    entry.flags = header.flags;
    entry.packSize = U32(bytes + 7);
    entry.unpSize = U32(bytes + 11);
    entry.hostOs = bytes[15];
    entry.fileCrc = U32(bytes + 16);
    entry.fileTime = U32(bytes + 20);
    entry.unpVer = bytes[24];
    entry.method = bytes[25];
    size_t nameSize = U16(bytes + 26);
    entry.attributes = U32(bytes + 28);
    size_t nameOffset = kFileHeaderSize;
    if (header.flags & kFileLarge) {
        if (header.size < kFileHeaderSize + 8) {
            return std::nullopt;
        }
        entry.packSize |= static_cast<uint64_t>(U32(bytes + 32)) << 32;
        entry.unpSize |= static_cast<uint64_t>(U32(bytes + 36)) << 32;
        nameOffset += 8;
    }
    if (nameSize == 0 || nameOffset + nameSize > header.size) {
        return std::nullopt;
    }
    entry.name = DecodeName(bytes + nameOffset, nameSize, header.flags & kFileUnicodeName);
    if (entry.name.empty()) {
        return std::nullopt;
    }
    return entry;
}

} // namespace rar

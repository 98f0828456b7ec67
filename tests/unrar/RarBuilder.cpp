#include "tests/unrar/RarBuilder.h"

namespace rartest {
namespace {

std::string U16(uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v)) + U16(static_cast<uint16_t>(v >> 16));
}

uint16_t ReadU16(const std::string& bytes, size_t offset) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                 (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

} // namespace

// Bit by bit, unlike the library's table.
uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
    }
    return ~crc;
}

std::string Block(uint8_t type, uint16_t flags, const std::string& body) {
    std::string rest = std::string(1, static_cast<char>(type)) + U16(flags) +
                       U16(static_cast<uint16_t>(7 + body.size())) + body;
    return U16(static_cast<uint16_t>(Crc32(rest))) + rest;
}

std::string FileBlock(const Entry& entry) {
    auto size = static_cast<uint32_t>(entry.data.size());
    std::string body = U32(size) + U32(size) + std::string(1, static_cast<char>(entry.hostOs)) +
                       U32(Crc32(entry.data) + (entry.corruptCrc ? 1 : 0)) + U32(entry.dosTime) +
                       std::string(1, '\x14') + std::string(1, static_cast<char>(entry.method)) +
                       U16(static_cast<uint16_t>(entry.name.size())) + U32(entry.attributes) +
                       (entry.large ? U32(0) + U32(0) : "") + entry.name;
    uint16_t flags = static_cast<uint16_t>(0x8000 | entry.extraFlags | (entry.large ? 0x0100 : 0));
    return Block(0x74, flags, body) + entry.data;
}

std::string MainHeader(uint16_t flags) {
    return Block(0x73, flags, U16(0) + U32(0));
}

std::string EndBlock() {
    return Block(0x7B, 0x4000, "");
}

std::string Archive(const std::vector<Entry>& entries, bool withEnd) {
    std::string archive = kMarker + MainHeader();
    for (const Entry& entry : entries) {
        archive += FileBlock(entry);
    }
    return withEnd ? archive + EndBlock() : archive;
}

size_t FileHeaderOffset(const std::string& archive, int index) {
    size_t offset = kMarker.size() + ReadU16(archive, kMarker.size() + 5);
    for (int i = 0; i < index; ++i) {
        uint32_t packSize =
            ReadU16(archive, offset + 7) | (static_cast<uint32_t>(ReadU16(archive, offset + 9)) << 16);
        offset += ReadU16(archive, offset + 5) + packSize;
    }
    return offset;
}

void FixHeaderCrc(std::string& archive, size_t offset) {
    uint16_t size = ReadU16(archive, offset + 5);
    if (size < 7 || offset + size > archive.size()) {
        return;
    }
    PutU16(archive, offset, static_cast<uint16_t>(Crc32(archive.substr(offset + 2, size - 2))));
}

void PutU16(std::string& bytes, size_t offset, uint16_t value) {
    bytes.replace(offset, 2, U16(value));
}
void PutU32(std::string& bytes, size_t offset, uint32_t value) {
    bytes.replace(offset, 4, U32(value));
}

} // namespace rartest

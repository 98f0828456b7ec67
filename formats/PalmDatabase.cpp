#include "formats/PalmDatabase.h"

#include <cstring>

namespace formats {

uint32_t FourCharCode(const char* text) {
    uint8_t bytes[4] = {};
    for (int i = 0; i < 4 && text[i] != '\0'; ++i) {
        bytes[i] = static_cast<uint8_t>(text[i]);
    }
    return GetBE32(bytes);
}

std::string FourCharText(uint32_t code) {
    uint8_t bytes[4];
    PutBE32(bytes, code);
    return std::string(reinterpret_cast<const char*>(bytes), 4);
}

bool IsValidDatabaseName(const std::string& name) {
    return !name.empty() && name.size() <= kMaxNameLength && name.find('\0') == std::string::npos;
}

void EncodeHeader(const DatabaseHeader& header, uint8_t out[kHeaderSize]) {
    std::memset(out, 0, kHeaderSize);
    std::memcpy(out, header.name.data(),
                header.name.size() < kMaxNameLength ? header.name.size() : kMaxNameLength);
    PutBE16(out + 32, header.attributes);
    PutBE16(out + 34, header.version);
    PutBE32(out + 36, header.creationDate);
    PutBE32(out + 40, header.modificationDate);
    PutBE32(out + 44, header.backupDate);
    PutBE32(out + 48, header.modificationNumber);
    PutBE32(out + 52, header.appInfoOffset);
    PutBE32(out + 56, header.sortInfoOffset);
    PutBE32(out + 60, header.type);
    PutBE32(out + 64, header.creator);
    PutBE32(out + 68, header.uniqueIdSeed);
    PutBE32(out + 72, header.nextRecordListId);
    PutBE16(out + 76, header.recordCount);
}

bool DecodeHeader(const uint8_t in[kHeaderSize], DatabaseHeader& header) {
    const void* terminator = std::memchr(in, 0, 32);
    if (terminator == nullptr) {
        return false;
    }
    header.name.assign(reinterpret_cast<const char*>(in), static_cast<const uint8_t*>(terminator) - in);
    header.attributes = GetBE16(in + 32);
    header.version = GetBE16(in + 34);
    header.creationDate = GetBE32(in + 36);
    header.modificationDate = GetBE32(in + 40);
    header.backupDate = GetBE32(in + 44);
    header.modificationNumber = GetBE32(in + 48);
    header.appInfoOffset = GetBE32(in + 52);
    header.sortInfoOffset = GetBE32(in + 56);
    header.type = GetBE32(in + 60);
    header.creator = GetBE32(in + 64);
    header.uniqueIdSeed = GetBE32(in + 68);
    header.nextRecordListId = GetBE32(in + 72);
    header.recordCount = GetBE16(in + 76);
    return IsValidDatabaseName(header.name);
}

void EncodeEntry(const RecordEntry& entry, bool resource, uint8_t* out) {
    if (resource) {
        PutBE32(out, entry.resourceType);
        PutBE16(out + 4, entry.resourceId);
        PutBE32(out + 6, entry.offset);
    } else {
        PutBE32(out, entry.offset);
        out[4] = entry.attributes;
        out[5] = static_cast<uint8_t>(entry.uniqueId >> 16);
        out[6] = static_cast<uint8_t>(entry.uniqueId >> 8);
        out[7] = static_cast<uint8_t>(entry.uniqueId);
    }
}

RecordEntry DecodeEntry(const uint8_t* in, bool resource) {
    RecordEntry entry;
    if (resource) {
        entry.resourceType = GetBE32(in);
        entry.resourceId = GetBE16(in + 4);
        entry.offset = GetBE32(in + 6);
    } else {
        entry.offset = GetBE32(in);
        entry.attributes = in[4];
        entry.uniqueId = static_cast<uint32_t>(in[5]) << 16 | static_cast<uint32_t>(in[6]) << 8 | in[7];
    }
    return entry;
}

} // namespace formats

#include "formats/FileDatabase.h"

#include "formats/PalmDatabase.h"

#include <cstdio>
#include <cstring>

namespace formats {
namespace {

uint32_t LoadBE(const uint32_t& field) {
    uint8_t bytes[4];
    std::memcpy(bytes, &field, 4);
    return GetBE32(bytes);
}

void StoreBE(uint32_t& field, uint32_t value) {
    uint8_t bytes[4];
    PutBE32(bytes, value);
    std::memcpy(&field, bytes, 4);
}

// MM.DD.YYYY, zero-filled to the end of the 12-byte field.
void WriteDate(const LocalTime& time, char (&field)[12]) {
    char text[48] = {};
    std::snprintf(text, sizeof(text), "%02d.%02d.%d", time.month, time.day, time.year);
    std::memset(field, 0, sizeof(field));
    std::memcpy(field, text, FieldText(text, sizeof(field)).size());
}

template <size_t N> void CopyField(const std::string& text, char (&field)[N]) {
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

} // namespace

HandheldName MakeHandheldName(const std::string& pcName) {
    // The stem is a prefix of the name, so a stem cut to 12 characters is the name's first 12.
    size_t dot = pcName.rfind('.');
    std::string stem = pcName.substr(0, dot);
    std::string extension = dot == std::string::npos ? std::string() : pcName.substr(dot, kMaxExtensionPart);
    return {stem.substr(0, kMaxNamePart), extension};
}

uint32_t CompressionOf(const FileHeader& header) {
    uint8_t bytes[4];
    std::memcpy(bytes, &header.compression, 4);
    return bytes[0] | static_cast<uint32_t>(bytes[1]) << 8 | static_cast<uint32_t>(bytes[2]) << 16 |
           static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t FileSizeOf(const FileHeader& header) {
    return LoadBE(header.fileSize);
}

uint32_t ModificationTimeOf(const FileHeader& header) {
    return LoadBE(header.modificationTime);
}

uint32_t TransferTimeOf(const FileHeader& header) {
    return LoadBE(header.transferTime);
}

void SetCompression(FileHeader& header, uint32_t compression) {
    uint8_t bytes[4] = {static_cast<uint8_t>(compression), static_cast<uint8_t>(compression >> 8),
                        static_cast<uint8_t>(compression >> 16), static_cast<uint8_t>(compression >> 24)};
    std::memcpy(&header.compression, bytes, 4);
}

void SetFileSize(FileHeader& header, uint32_t size) {
    StoreBE(header.fileSize, size);
}

void SetModification(FileHeader& header, const LocalTime& time) {
    StoreBE(header.modificationTime, 3600u * time.hour + 60u * time.minute + 2u * time.second);
    WriteDate(time, header.modificationDate);
}

void SetTransfer(FileHeader& header, const LocalTime& time) {
    StoreBE(header.transferTime, 3600u * time.hour + 60u * time.minute + time.second);
    WriteDate(time, header.transferDate);
}

void SetName(FileHeader& header, const HandheldName& name) {
    CopyField(name.name, header.name);
    CopyField(name.extension, header.extension);
}

std::string FieldText(const char* field, size_t size) {
    const void* zero = std::memchr(field, 0, size);
    return std::string(field, zero != nullptr ? static_cast<const char*>(zero) - field : size);
}

std::string HandheldNameOf(const FileHeader& header) {
    return FieldText(header.name, sizeof(header.name)) +
           FieldText(header.extension, sizeof(header.extension));
}

FileHeader FileHeaderFromBytes(const void* bytes) {
    FileHeader header;
    std::memcpy(&header, bytes, sizeof(header));
    return header;
}

uint32_t DataRecordCount(uint64_t bytes) {
    return static_cast<uint32_t>((bytes + kDataRecordSize - 1) / kDataRecordSize);
}

std::string QueuedNameOf(const char* record, size_t size) {
    return FieldText(record, size < kQueueNameSize ? size : kQueueNameSize);
}

} // namespace formats

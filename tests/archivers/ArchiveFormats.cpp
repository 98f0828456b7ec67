#include "tests/archivers/ArchiveFormats.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <zlib.h>

namespace archive {
namespace {

constexpr size_t kChunk = 65536;

struct FileCloser {
    void operator()(FILE* file) const {
        if (file) {
            std::fclose(file);
        }
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

FilePtr OpenFile(const std::string& name, const char* mode) {
    return FilePtr(std::fopen(name.c_str(), mode));
}

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void Set32(std::vector<uint8_t>& out, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[offset + i] = (value >> (8 * i)) & 0xFF;
    }
}
uint32_t Get16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}
uint32_t Get32(const uint8_t* p) {
    return Get16(p) | (Get16(p + 2) << 16);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Only plain names are written, so nothing lands outside the current directory.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find(':') == std::string::npos;
}

uint32_t DosTime(const std::string& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    FILETIME local = {};
    WORD date = 0x21, time = 0;
    if (GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data)) {
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        FileTimeToDosDateTime(&local, &date, &time);
    }
    return (static_cast<uint32_t>(date) << 16) | time;
}

// Copies `size` bytes from `in` to `out` (when given), returning their CRC-32.
bool CopyBytes(FILE* in, FILE* out, uint64_t size, uint32_t& crc) {
    std::vector<uint8_t> buffer(kChunk);
    crc = 0;
    while (size > 0) {
        size_t piece = size < kChunk ? static_cast<size_t>(size) : kChunk;
        if (std::fread(buffer.data(), 1, piece, in) != piece) {
            return false;
        }
        crc = Crc32(buffer.data(), piece, crc);
        if (out && std::fwrite(buffer.data(), 1, piece, out) != piece) {
            return false;
        }
        size -= piece;
    }
    return true;
}

bool FileSize(FILE* file, uint64_t& size) {
    if (_fseeki64(file, 0, SEEK_END) != 0) {
        return false;
    }
    size = static_cast<uint64_t>(_ftelli64(file));
    return _fseeki64(file, 0, SEEK_SET) == 0 && size < 0xFFFFFFFFull;
}

// Writes `header`, then the file's data; `crcOffset` is where the data CRC goes in the header, and
// `patch` runs once the CRC is known, before the header is written again.
template <class Patch>
bool WriteEntry(FILE* out, std::vector<uint8_t>& header, FILE* in, uint64_t size, size_t crcOffset,
                Patch patch) {
    long headerPosition = std::ftell(out);
    uint32_t crc = 0;
    if (std::fwrite(header.data(), 1, header.size(), out) != header.size() ||
        !CopyBytes(in, out, size, crc)) {
        return false;
    }
    Set32(header, crcOffset, crc);
    patch(header);
    long end = std::ftell(out);
    return std::fseek(out, headerPosition, SEEK_SET) == 0 &&
           std::fwrite(header.data(), 1, header.size(), out) == header.size() &&
           std::fseek(out, end, SEEK_SET) == 0;
}

template <class Write> bool Pack(const std::string& archiveName, const std::string& fileName, Write write) {
    FilePtr in = OpenFile(fileName, "rb");
    uint64_t size = 0;
    bool packed = false;
    if (in && FileSize(in.get(), size)) {
        FilePtr out = OpenFile(archiveName, "wb");
        packed = out && write(out.get(), in.get(), static_cast<uint32_t>(size), BaseName(fileName));
        packed = out && std::fclose(out.release()) == 0 && packed;
    }
    if (!packed) {
        std::remove(archiveName.c_str());
    }
    return packed;
}

// Writes one extracted entry; a CRC mismatch removes it again.
bool ExtractEntry(FILE* in, const std::string& storedName, uint64_t size, uint32_t expectedCrc) {
    std::string name = BaseName(storedName);
    if (!IsPlainName(name)) {
        return false;
    }
    FilePtr out = OpenFile(name, "wb");
    uint32_t crc = 0;
    bool extracted = out && CopyBytes(in, out.get(), size, crc) && crc == expectedCrc;
    extracted = out && std::fclose(out.release()) == 0 && extracted;
    if (!extracted) {
        std::remove(name.c_str());
    }
    return extracted;
}

// ZIP

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;

std::vector<uint8_t> ZipLocalHeader(uint32_t size, uint32_t dosTime, const std::string& name) {
    std::vector<uint8_t> h;
    Put32(h, kLocalSignature);
    Put16(h, 10); // version needed
    Put16(h, 0);  // flags
    Put16(h, 0);  // stored
    Put32(h, dosTime);
    Put32(h, 0); // CRC, set later
    Put32(h, size);
    Put32(h, size);
    Put16(h, static_cast<uint32_t>(name.size()));
    Put16(h, 0);
    h.insert(h.end(), name.begin(), name.end());
    return h;
}

std::vector<uint8_t> ZipCentralDirectory(const std::vector<uint8_t>& local, const std::string& name) {
    std::vector<uint8_t> c;
    Put32(c, kCentralSignature);
    Put16(c, 20);                                             // made by
    c.insert(c.end(), local.begin() + 4, local.begin() + 30); // version needed .. extra length
    Put16(c, 0);                                              // comment
    Put16(c, 0);                                              // disk
    Put16(c, 0);                                              // internal attributes
    Put32(c, 0x20);                                           // external attributes
    Put32(c, 0);                                              // local header offset
    c.insert(c.end(), name.begin(), name.end());
    std::vector<uint8_t> end;
    Put32(end, kEndSignature);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, 1);
    Put16(end, 1);
    Put32(end, static_cast<uint32_t>(c.size()));
    Put32(end, 0); // central directory offset, set by the caller
    Put16(end, 0);
    c.insert(c.end(), end.begin(), end.end());
    return c;
}

bool WriteZip(FILE* out, FILE* in, uint32_t size, const std::string& name, uint32_t dosTime) {
    std::vector<uint8_t> local = ZipLocalHeader(size, dosTime, name);
    if (!WriteEntry(out, local, in, size, 14, [](std::vector<uint8_t>&) {})) {
        return false;
    }
    std::vector<uint8_t> central = ZipCentralDirectory(local, name);
    Set32(central, central.size() - 6, static_cast<uint32_t>(std::ftell(out)));
    return std::fwrite(central.data(), 1, central.size(), out) == central.size();
}

// RAR 4.x

const uint8_t kRarMarker[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
const uint8_t kRarEnd[] = {0xC4, 0x3D, 0x7B, 0x00, 0x40, 0x07, 0x00};
constexpr uint8_t kMainHeader = 0x73;
constexpr uint8_t kFileHeader = 0x74;
constexpr uint8_t kEndHeader = 0x7B;
constexpr uint32_t kLongBlock = 0x8000;
constexpr size_t kRarFileHeaderSize = 32;

// HEAD_CRC: the low 16 bits of the CRC-32 of the header from HEAD_TYPE on.
void SetHeaderCrc(std::vector<uint8_t>& header) {
    uint32_t crc = Crc32(header.data() + 2, header.size() - 2) & 0xFFFF;
    header[0] = crc & 0xFF;
    header[1] = crc >> 8;
}

std::vector<uint8_t> RarMainHeader() {
    std::vector<uint8_t> h;
    Put16(h, 0);
    h.push_back(kMainHeader);
    Put16(h, 0);
    Put16(h, 13);
    Put16(h, 0);
    Put32(h, 0);
    SetHeaderCrc(h);
    return h;
}

std::vector<uint8_t> RarFileHeader(uint32_t size, uint32_t dosTime, const std::string& name) {
    std::vector<uint8_t> h;
    Put16(h, 0);
    h.push_back(kFileHeader);
    Put16(h, kLongBlock);
    Put16(h, static_cast<uint32_t>(kRarFileHeaderSize + name.size()));
    Put32(h, size); // packed
    Put32(h, size); // unpacked
    h.push_back(2); // Win32
    Put32(h, 0);    // data CRC, set later
    Put32(h, dosTime);
    h.push_back(20);   // version to unpack
    h.push_back(0x30); // stored
    Put16(h, static_cast<uint32_t>(name.size()));
    Put32(h, 0x20);
    h.insert(h.end(), name.begin(), name.end());
    return h;
}

bool WriteRar(FILE* out, FILE* in, uint32_t size, const std::string& name, uint32_t dosTime) {
    std::vector<uint8_t> main = RarMainHeader();
    std::vector<uint8_t> file = RarFileHeader(size, dosTime, name);
    return std::fwrite(kRarMarker, 1, sizeof(kRarMarker), out) == sizeof(kRarMarker) &&
           std::fwrite(main.data(), 1, main.size(), out) == main.size() &&
           WriteEntry(out, file, in, size, 16, SetHeaderCrc) &&
           std::fwrite(kRarEnd, 1, sizeof(kRarEnd), out) == sizeof(kRarEnd);
}

bool ReadBytes(FILE* in, std::vector<uint8_t>& bytes, size_t size) {
    bytes.resize(size);
    return size == 0 || std::fread(bytes.data(), 1, size, in) == size;
}

// One RAR block after the marker: false at a malformed block; `done` at the end block.
bool UnpackRarBlock(FILE* in, bool& done) {
    std::vector<uint8_t> header;
    if (!ReadBytes(in, header, 7)) {
        done = std::feof(in) != 0;
        return done;
    }
    uint32_t type = header[2], flags = Get16(&header[3]), size = Get16(&header[5]);
    std::vector<uint8_t> rest;
    if (size < 7 || !ReadBytes(in, rest, size - 7)) {
        return false;
    }
    header.insert(header.end(), rest.begin(), rest.end());
    if ((Crc32(header.data() + 2, header.size() - 2) & 0xFFFF) != Get16(header.data())) {
        return false;
    }
    if (type == kEndHeader) {
        done = true;
        return true;
    }
    uint32_t dataSize = (flags & kLongBlock) && header.size() >= 11 ? Get32(&header[7]) : 0;
    if (type != kFileHeader) {
        return _fseeki64(in, dataSize, SEEK_CUR) == 0;
    }
    if (header.size() < kRarFileHeaderSize || header[25] != 0x30 || Get32(&header[7]) != Get32(&header[11])) {
        return false;
    }
    uint32_t nameSize = Get16(&header[26]);
    if (kRarFileHeaderSize + nameSize > header.size()) {
        return false;
    }
    std::string name(reinterpret_cast<const char*>(&header[kRarFileHeaderSize]), nameSize);
    return ExtractEntry(in, name, dataSize, Get32(&header[16]));
}

} // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            table[n] = c;
        }
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

bool PackZip(const std::string& archiveName, const std::string& fileName) {
    uint32_t dosTime = DosTime(fileName);
    return Pack(archiveName, fileName,
                [dosTime](FILE* out, FILE* in, uint32_t size, const std::string& name) {
                    return WriteZip(out, in, size, name, dosTime);
                });
}

bool PackRar(const std::string& archiveName, const std::string& fileName) {
    uint32_t dosTime = DosTime(fileName);
    return Pack(archiveName, fileName,
                [dosTime](FILE* out, FILE* in, uint32_t size, const std::string& name) {
                    return WriteRar(out, in, size, name, dosTime);
                });
}

namespace {

// Inflates a deflated entry of `packed` bytes into a new file; a CRC or size mismatch removes it.
bool InflateEntry(FILE* in, const std::string& storedName, uint64_t packed, uint64_t unpacked,
                  uint32_t expectedCrc) {
    std::string name = BaseName(storedName);
    FilePtr out = IsPlainName(name) ? OpenFile(name, "wb") : nullptr;
    z_stream stream = {};
    if (!out || inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return false;
    }
    std::vector<uint8_t> input(kChunk), output(kChunk);
    uint32_t crc = 0;
    uint64_t written = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        if (stream.avail_in == 0 && packed > 0) {
            size_t piece = packed < kChunk ? static_cast<size_t>(packed) : kChunk;
            if (std::fread(input.data(), 1, piece, in) != piece) {
                break;
            }
            packed -= piece;
            stream.next_in = input.data();
            stream.avail_in = static_cast<uInt>(piece);
        }
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        result = inflate(&stream, Z_NO_FLUSH);
        size_t produced = output.size() - stream.avail_out;
        crc = Crc32(output.data(), produced, crc);
        written += produced;
        if ((result != Z_OK && result != Z_STREAM_END) ||
            std::fwrite(output.data(), 1, produced, out.get()) != produced) {
            result = Z_DATA_ERROR;
        }
    }
    inflateEnd(&stream);
    bool extracted = result == Z_STREAM_END && crc == expectedCrc && written == unpacked;
    extracted = std::fclose(out.release()) == 0 && extracted;
    if (!extracted) {
        std::remove(name.c_str());
    }
    return extracted;
}

// Archives whose local headers leave the sizes to a data descriptor (as deflating writers do) are
// read through their central directory, which follows the entries and ends the file.
bool UnpackZipByDirectory(FILE* in) {
    std::vector<uint8_t> end, directory;
    if (std::fseek(in, -22, SEEK_END) != 0 || !ReadBytes(in, end, 22) || Get32(end.data()) != kEndSignature ||
        std::fseek(in, static_cast<long>(Get32(&end[16])), SEEK_SET) != 0 ||
        !ReadBytes(in, directory, Get32(&end[12]))) {
        return false;
    }
    size_t at = 0;
    for (uint32_t entry = 0; entry < Get16(&end[10]); ++entry) {
        if (at + 46 > directory.size() || Get32(&directory[at]) != kCentralSignature) {
            return false;
        }
        const uint8_t* fixed = &directory[at];
        uint32_t method = Get16(fixed + 10), crc = Get32(fixed + 16);
        uint32_t packed = Get32(fixed + 20), unpacked = Get32(fixed + 24), nameSize = Get16(fixed + 28);
        if (at + 46 + nameSize > directory.size()) {
            return false;
        }
        std::string name(directory.begin() + at + 46, directory.begin() + at + 46 + nameSize);
        at += 46 + nameSize + Get16(fixed + 30) + Get16(fixed + 32);
        std::vector<uint8_t> local, skipped;
        if (std::fseek(in, static_cast<long>(Get32(fixed + 42)), SEEK_SET) != 0 ||
            !ReadBytes(in, local, 30) || Get32(local.data()) != kLocalSignature ||
            !ReadBytes(in, skipped, Get16(&local[26]) + Get16(&local[28]))) {
            return false;
        }
        bool extracted = method == 8   ? InflateEntry(in, name, packed, unpacked, crc)
                         : method == 0 ? packed == unpacked && ExtractEntry(in, name, packed, crc)
                                       : false;
        if (!extracted) {
            return false;
        }
    }
    return true;
}

} // namespace

bool UnpackZip(const std::string& archiveName) {
    FilePtr in = OpenFile(archiveName, "rb");
    if (!in) {
        return false;
    }
    std::vector<uint8_t> header;
    while (ReadBytes(in.get(), header, 4)) {
        uint32_t signature = Get32(header.data());
        if (signature == kCentralSignature || signature == kEndSignature) {
            return true;
        }
        std::vector<uint8_t> fixed;
        if (signature != kLocalSignature || !ReadBytes(in.get(), fixed, 26)) {
            return false;
        }
        uint32_t flags = Get16(&fixed[2]), method = Get16(&fixed[4]), crc = Get32(&fixed[10]);
        uint32_t packed = Get32(&fixed[14]), unpacked = Get32(&fixed[18]);
        if ((flags & 0x0008) || method == 8) {
            return UnpackZipByDirectory(in.get());
        }
        std::vector<uint8_t> name, extra;
        if (method != 0 || packed != unpacked || !ReadBytes(in.get(), name, Get16(&fixed[22])) ||
            !ReadBytes(in.get(), extra, Get16(&fixed[24])) ||
            !ExtractEntry(in.get(), std::string(name.begin(), name.end()), packed, crc)) {
            return false;
        }
    }
    return false;
}

bool UnpackRar(const std::string& archiveName) {
    FilePtr in = OpenFile(archiveName, "rb");
    std::vector<uint8_t> marker;
    if (!in || !ReadBytes(in.get(), marker, sizeof(kRarMarker)) ||
        std::memcmp(marker.data(), kRarMarker, sizeof(kRarMarker)) != 0) {
        return false;
    }
    bool done = false;
    while (!done) {
        if (!UnpackRarBlock(in.get(), done)) {
            return false;
        }
    }
    return true;
}

} // namespace archive

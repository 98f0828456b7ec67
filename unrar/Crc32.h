// CRC-32 as zlib computes it (reflected polynomial 0xEDB88320), the checksum of RAR 4.x headers
// and entry data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar {

// Continues `crc` (0 to start) over `size` bytes.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

} // namespace rar

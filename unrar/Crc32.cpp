#include "unrar/Crc32.h"

#include <array>
#include <cstring>

#include <immintrin.h>

namespace rar {
namespace {

// Eight tables, so that eight bytes are folded in per step ("slicing by 8"): table[k][b] is the CRC
// of byte b followed by k zero bytes.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

Tables MakeTables() {
    Tables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        tables[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
        for (size_t k = 1; k < tables.size(); ++k) {
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
        }
    }
    return tables;
}

const Tables kTables = MakeTables();

#define CARRYLESS_TARGET __attribute__((target("pclmul,sse4.1")))
#define CARRYLESS_INLINE __attribute__((target("pclmul,sse4.1"), always_inline)) inline

CARRYLESS_INLINE __m128i load(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// x times k's two halves, folded onto the next 128 bits.
CARRYLESS_INLINE __m128i fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)),
                         next);
}

// Folds 64-byte blocks with carry-less multiplication (Intel's "Fast CRC Computation for Generic
// Polynomials Using PCLMULQDQ"), then reduces to 32 bits (Barrett). Takes and returns the
// inverted running CRC; `size` is a multiple of 16, at least 64. The stack is realigned: callers
// built for Windows x86 only keep 4-byte alignment.
CARRYLESS_TARGET __attribute__((force_align_arg_pointer)) uint32_t
FoldCrc(uint32_t crc, const unsigned char* bytes, size_t size) {
    const __m128i k1k2 = _mm_set_epi64x(0x01C6E41596LL, 0x0154442BD4LL);
    const __m128i k3k4 = _mm_set_epi64x(0x00CCAA009ELL, 0x01751997D0LL);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163CD6124LL);
    const __m128i poly = _mm_set_epi64x(0x01F7011641LL, 0x01DB710641LL);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

    __m128i x1 = _mm_xor_si128(load(bytes), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = load(bytes + 16), x3 = load(bytes + 32), x4 = load(bytes + 48);
    bytes += 64;
    size -= 64;
    for (; size >= 64; bytes += 64, size -= 64) {
        x1 = fold(x1, k1k2, load(bytes));
        x2 = fold(x2, k1k2, load(bytes + 16));
        x3 = fold(x3, k1k2, load(bytes + 32));
        x4 = fold(x4, k1k2, load(bytes + 48));
    }
    x1 = fold(x1, k3k4, x2);
    x1 = fold(x1, k3k4, x3);
    x1 = fold(x1, k3k4, x4);
    for (; size >= 16; bytes += 16, size -= 16) {
        x1 = fold(x1, k3k4, load(bytes));
    }
    // 128 bits to 64.
    x2 = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), x2);
    // Barrett reduction to 32 bits.
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x2, low32), poly, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

const bool kHaveCarrylessMultiply = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");

} // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    crc = ~crc;
    if (kHaveCarrylessMultiply && size >= 64) {
        size_t folded = size & ~static_cast<size_t>(15);
        crc = FoldCrc(crc, bytes, folded);
        bytes += folded;
        size -= folded;
    }
    // x86 is little-endian: the first four bytes of a step are folded into the running CRC.
    while (size >= 8) {
        uint32_t low, high;
        std::memcpy(&low, bytes, 4);
        std::memcpy(&high, bytes + 4, 4);
        low ^= crc;
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
              kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
        bytes += 8;
        size -= 8;
    }
    while (size-- > 0) {
        crc = kTables[0][(crc ^ *bytes++) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

} // namespace rar

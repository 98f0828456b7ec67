// The library's CRC-32 (folded with carry-less multiplication on long runs, by tables on the rest)
// against the plain bit-by-bit definition.
#include "tests/unrar/RarBuilder.h"
#include "unrar/Crc32.h"

#include <doctest/doctest.h>

namespace {

std::string Noise(size_t size) {
    std::string bytes(size, '\0');
    uint32_t seed = 99;
    for (char& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

} // namespace

TEST_CASE("CRC-32 is zlib's at every length, alignment and split") {
    CHECK(rar::Crc32(0, "123456789", 9) == 0xCBF43926u);
    CHECK(rar::Crc32(0, "", 0) == 0);
    const std::string noise = Noise(1 << 20);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t size = 0; size <= 300; ++size) {
            std::string piece = noise.substr(offset, size);
            CAPTURE(offset);
            CAPTURE(size);
            REQUIRE(rar::Crc32(0, piece.data(), piece.size()) == rartest::Crc32(piece));
        }
    }
    const uint32_t whole = rartest::Crc32(noise);
    CHECK(rar::Crc32(0, noise.data(), noise.size()) == whole);
    for (size_t split : {1u, 63u, 64u, 65u, 4095u, 65536u, 1000001u}) {
        CAPTURE(split);
        uint32_t first = rar::Crc32(0, noise.data(), split);
        CHECK(rar::Crc32(first, noise.data() + split, noise.size() - split) == whole);
    }
}

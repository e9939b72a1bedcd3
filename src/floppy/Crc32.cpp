#include "floppy/Crc32.h"

#include <array>

namespace mivox {

namespace {

// Slicing by eight: table k gives the CRC of a byte followed by k zero
// bytes, so eight bytes are folded in with eight independent look-ups
// instead of eight dependent steps.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (size_t k = 1; k < tables.size(); ++k) {
        for (uint32_t n = 0; n < 256; ++n) {
            const uint32_t previous = tables[k - 1][n];
            tables[k][n] = (previous >> 8) ^ tables[0][previous & 0xFF];
        }
    }
    return tables;
}

constexpr Tables kTables = MakeTables();

// Four bytes as a little-endian number, whatever the machine's byte order
// and the pointer's alignment (compilers make this one load).
inline uint32_t Load32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (; size >= 8; bytes += 8, size -= 8) {
        const uint32_t low = Load32(bytes) ^ crc;
        const uint32_t high = Load32(bytes + 4);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^
              kTables[5][(low >> 16) & 0xFF] ^ kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^
              kTables[2][(high >> 8) & 0xFF] ^ kTables[1][(high >> 16) & 0xFF] ^
              kTables[0][high >> 24];
    }
    for (; size > 0; ++bytes, --size) crc = (crc >> 8) ^ kTables[0][(crc ^ *bytes) & 0xFF];
    return crc;
}

}  // namespace mivox

#include "floppy/Crc32.h"

#include <array>

namespace mivox {

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

// Slicing by eight: table k gives the CRC of a byte followed by k zero
// bytes, so eight bytes are folded in with eight independent look-ups
// instead of eight dependent steps.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

void FillTables(Tables& tables) {
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? kPolynomial ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (size_t k = 1; k < tables.size(); ++k) {
        for (uint32_t n = 0; n < 256; ++n) {
            const uint32_t previous = tables[k - 1][n];
            tables[k][n] = (previous >> 8) ^ tables[0][previous & 0xFF];
        }
    }
}

// Filled at the first use rather than stored in the program: 8 KB less in
// each program that checks an archive.
Tables gTables;

const Tables& TheTables() {
    static const bool filled = (FillTables(gTables), true);
    (void)filled;
    return gTables;
}

// Four bytes as a little-endian number, whatever the machine's byte order
// and the pointer's alignment (compilers make this one load).
inline uint32_t Load32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The CRC register after eight more bytes.
inline uint32_t Step8(const Tables& t, uint32_t crc, const unsigned char* bytes) {
    const uint32_t low = Load32(bytes) ^ crc;
    const uint32_t high = Load32(bytes + 4);
    return t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
           t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^
           t[0][high >> 24];
}

// Products of polynomials over GF(2) modulo the CRC's, in its reflected
// form (bit 31 is x^0).
constexpr uint32_t MultiplyModP(uint32_t a, uint32_t b) {
    uint32_t product = 0;
    for (uint32_t bit = 1u << 31; bit != 0; bit >>= 1) {
        if (a & bit) product ^= b;
        b = (b & 1) ? (b >> 1) ^ kPolynomial : b >> 1;
    }
    return product;
}

// x^(8 * 2^k) modulo the polynomial: one byte, two, four, ...
using Powers = std::array<uint32_t, 64>;

constexpr Powers MakeBytePowers() {
    Powers powers{};
    uint32_t power = 1u << 23;  // x^8
    for (uint32_t& entry : powers) {
        entry = power;
        power = MultiplyModP(power, power);
    }
    return powers;
}

constexpr Powers kBytePowers = MakeBytePowers();

// The register as if count zero bytes followed: how a CRC of one stretch
// is carried over a stretch computed on its own from zero.
uint32_t ShiftBytes(uint32_t crc, size_t count) {
    for (size_t k = 0; count != 0; ++k, count >>= 1) {
        if (count & 1) crc = MultiplyModP(kBytePowers[k], crc);
    }
    return crc;
}

// Below this, the work of joining three stretches is not worth it.
constexpr size_t kThreeWayMinimum = 3 * 1024;

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    const Tables& t = TheTables();
    if (size >= kThreeWayMinimum) {
        // Three stretches side by side: their look-ups do not wait on each
        // other, so the processor overlaps them. The CRC is linear, so the
        // stretches' registers join by carrying each over the next.
        const size_t stretch = size / 3 / 8 * 8;
        uint32_t second = 0;
        uint32_t third = 0;
        for (size_t at = 0; at < stretch; at += 8) {
            crc = Step8(t, crc, bytes + at);
            second = Step8(t, second, bytes + stretch + at);
            third = Step8(t, third, bytes + 2 * stretch + at);
        }
        crc = ShiftBytes(ShiftBytes(crc, stretch) ^ second, stretch) ^ third;
        bytes += 3 * stretch;
        size -= 3 * stretch;
    }
    for (; size >= 8; bytes += 8, size -= 8) crc = Step8(t, crc, bytes);
    for (; size > 0; ++bytes, --size) crc = (crc >> 8) ^ t[0][(crc ^ *bytes) & 0xFF];
    return crc;
}

}  // namespace mivox

// T.4 one-dimensional (Modified Huffman) coding of fax scan lines, and the
// two-dimensional coding (Modified READ) of a line against the one before. A scan
// line is 1728 dots, packed eight to a byte with the leftmost dot in the
// most significant bit, a set bit being black.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mivox {

constexpr int kFaxWidth = 1728;
constexpr int kFaxRowBytes = kFaxWidth / 8;
using FaxRow = std::vector<uint8_t>;  // kFaxRowBytes bytes

// Collects code bits in transmission order and packs them into bytes, the
// first bit either in the most significant bit (as a TIFF file stores fax
// data) or in the least significant bit (as a fax modem sends it).
class BitWriter {
public:
    explicit BitWriter(bool lsbFirst = false) : lsbFirst_(lsbFirst) {}
    // Appends the low `count` bits of `code`, most significant first; a
    // count past 32 puts zeros before them.
    void Put(uint32_t code, int count);
    // Zero bits up to the next byte boundary.
    void Align();
    size_t BitCount() const { return bytes_.size() * 8 - (used_ ? 8 - used_ : 0); }
    const std::string& Bytes() const { return bytes_; }

private:
    bool lsbFirst_;
    std::string bytes_;
    int used_ = 0;  // bits used in the last byte
};

// Reads bits back in the order a BitWriter of the same kind wrote them.
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size, bool lsbFirst = false)
        : data_(data), size_(size), lsbFirst_(lsbFirst) {}
    // The next bit, or -1 past the end.
    int Next();
    bool AtEnd() const { return position_ >= size_ * 8; }

private:
    const uint8_t* data_;
    size_t size_;
    bool lsbFirst_;
    size_t position_ = 0;
};

constexpr uint32_t kEolCode = 0x001;  // 000000000001
constexpr int kEolBits = 12;

// Appends the codes of one scan line (without its EOL).
void EncodeRow(const FaxRow& row, BitWriter& out);
// Appends the two-dimensional (Modified READ) codes of a scan line, coded
// against the line before it, `reference` (without its EOL and tag bit).
void EncodeRow2D(const FaxRow& row, const FaxRow& reference, BitWriter& out);

// Decodes a page of lines, each starting with an EOL, as a TIFF file with
// T.4 one-dimensional coding stores it (fill bits before an EOL allowed; a
// return to control, six EOLs in a row, ends the page). Returns false on a
// code that is not in the tables or a line that is not 1728 dots long.
bool DecodePage(const uint8_t* data, size_t size, bool lsbFirst, std::vector<FaxRow>& rows);

}  // namespace mivox

#include "components/fax/ModifiedHuffman.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace mivox {
namespace {

// The code tables, written as the bit strings of the recommendation so that
// they can be checked against it by eye: terminating codes for runs 0-63,
// then make-up codes for runs 64, 128, ... 1728.
constexpr std::array<const char*, 64> kWhiteTerminating = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};
constexpr std::array<const char*, 27> kWhiteMakeUp = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};
constexpr std::array<const char*, 64> kBlackTerminating = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",
    "0010",         "00011",        "000101",       "000100",       "0000100",      "0000101",
    "0000111",      "00000100",     "00000111",     "000011000",    "0000010111",   "0000011000",
    "0000001000",   "00001100111",  "00001101000",  "00001101100",  "00000110111",  "00000101000",
    "00000010111",  "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111"};
constexpr std::array<const char*, 27> kBlackMakeUp = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",
    "000000110100",  "000000110101",  "0000001101100", "0000001101101", "0000001001010",
    "0000001001011", "0000001001100", "0000001001101", "0000001110010", "0000001110011",
    "0000001110100", "0000001110101", "0000001110110", "0000001110111", "0000001010010",
    "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101"};

struct Code {
    uint32_t bits = 0;
    int length = 0;
};

Code Parse(const char* text) {
    Code code;
    for (; *text; ++text, ++code.length) code.bits = (code.bits << 1) | (*text == '1');
    return code;
}

struct Tables {
    std::array<Code, 64> terminating[2];
    std::array<Code, 27> makeUp[2];
    // (length << 16 | bits) -> run length, per colour
    std::unordered_map<uint32_t, int> runs[2];

    Tables() {
        for (int colour = 0; colour < 2; ++colour) {
            const auto& term = colour ? kBlackTerminating : kWhiteTerminating;
            const auto& makeUpText = colour ? kBlackMakeUp : kWhiteMakeUp;
            for (int i = 0; i < 64; ++i) {
                terminating[colour][i] = Parse(term[i]);
                runs[colour][Key(terminating[colour][i])] = i;
            }
            for (int i = 0; i < 27; ++i) {
                makeUp[colour][i] = Parse(makeUpText[i]);
                runs[colour][Key(makeUp[colour][i])] = 64 * (i + 1);
            }
        }
    }
    static uint32_t Key(Code code) {
        return (static_cast<uint32_t>(code.length) << 16) | code.bits;
    }
};

const Tables& CodeTables() {
    static const Tables tables;
    return tables;
}

bool DotAt(const FaxRow& row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

void PutRun(int run, int colour, BitWriter& out) {
    const Tables& tables = CodeTables();
    if (run >= 64) {
        const Code makeUp = tables.makeUp[colour][run / 64 - 1];
        out.Put(makeUp.bits, makeUp.length);
        run %= 64;
    }
    const Code term = tables.terminating[colour][run];
    out.Put(term.bits, term.length);
}

void SetRun(FaxRow& row, int from, int count) {
    for (int x = from; x < from + count; ++x) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
}

}  // namespace

void BitWriter::Put(uint32_t code, int count) {
    for (int i = count - 1; i >= 0; --i) {
        if (used_ == 0) bytes_.push_back('\0');
        const int bit = i < 32 ? (code >> i) & 1 : 0;  // long runs of fill bits are zeros
        if (bit) {
            const int shift = lsbFirst_ ? used_ : 7 - used_;
            bytes_.back() = static_cast<char>(bytes_.back() | (1 << shift));
        }
        used_ = (used_ + 1) & 7;
    }
}

void BitWriter::Align() {
    used_ = 0;
}

int BitReader::Next() {
    if (AtEnd()) return -1;
    const uint8_t byte = data_[position_ >> 3];
    const int index = static_cast<int>(position_ & 7);
    ++position_;
    return (byte >> (lsbFirst_ ? index : 7 - index)) & 1;
}

void EncodeRow(const FaxRow& row, BitWriter& out) {
    int colour = 0;  // every line starts with a white run, possibly empty
    int x = 0;
    while (x < kFaxWidth) {
        int end = x;
        while (end < kFaxWidth && DotAt(row, end) == colour) ++end;
        PutRun(end - x, colour, out);
        x = end;
        colour ^= 1;
    }
    // A line that ends after a black run needs no closing white run.
}

namespace {

int ColourAt(const FaxRow& row, int x) {
    return x < 0 ? 0 : DotAt(row, x);  // an imaginary white dot before the line
}

// The first changing element right of `after`: a dot of another colour
// than the one before it; the line's width when there is none.
int NextChange(const FaxRow& row, int after) {
    for (int x = std::max(after + 1, 0); x < kFaxWidth; ++x)
        if (ColourAt(row, x) != ColourAt(row, x - 1)) return x;
    return kFaxWidth;
}

}  // namespace

// T.4 4.2: from a0 (first the imaginary dot before the line), each next
// change a1 of the coding line is coded by its distance to b1 (the
// reference line's first change right of a0 to the other colour) when that
// is at most three (vertical mode), passed over when the reference line
// changes twice before it (pass mode), else as the two runs from a0
// (horizontal mode).
void EncodeRow2D(const FaxRow& row, const FaxRow& reference, BitWriter& out) {
    static const Code kVertical[7] = {{0b0000010, 7}, {0b000010, 6}, {0b010, 3},    {0b1, 1},
                                      {0b011, 3},     {0b000011, 6}, {0b0000011, 7}};
    int a0 = -1;
    int colour = 0;
    while (a0 < kFaxWidth) {
        const int a1 = NextChange(row, a0);
        int b1 = NextChange(reference, a0);
        if (b1 < kFaxWidth && ColourAt(reference, b1) == colour) b1 = NextChange(reference, b1);
        const int b2 = NextChange(reference, b1);
        if (b2 < a1) {
            out.Put(0b0001, 4);  // pass
            a0 = b2;
        } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
            out.Put(kVertical[a1 - b1 + 3].bits, kVertical[a1 - b1 + 3].length);
            a0 = a1;
            colour ^= 1;
        } else {
            const int a2 = NextChange(row, a1);
            out.Put(0b001, 3);  // horizontal
            PutRun(a1 - std::max(a0, 0), colour, out);
            PutRun(a2 - a1, colour ^ 1, out);
            a0 = a2;
        }
    }
}

bool DecodePage(const uint8_t* data, size_t size, bool lsbFirst, std::vector<FaxRow>& rows) {
    const Tables& tables = CodeTables();
    BitReader in(data, size, lsbFirst);
    rows.clear();
    int eolsInARow = 0;
    while (true) {
        // Find the next EOL: eleven or more zeros followed by a one. Fill bits
        // are zeros, so any number of zeros may come first.
        int zeros = 0;
        int bit;
        while ((bit = in.Next()) == 0) ++zeros;
        if (bit < 0) return true;  // the data ends after the last line
        if (zeros < 11) return false;
        // An EOL right after an EOL (no line between) counts towards RTC.
        FaxRow row(kFaxRowBytes, 0);
        int x = 0;
        int colour = 0;
        uint32_t code = 0;
        int length = 0;
        bool lineDone = false;
        bool empty = true;
        // A line ends when a terminating code brings it to 1728 dots.
        while (!lineDone) {
            bit = in.Next();
            if (bit < 0) return empty;  // only fill bits after the last EOL
            code = (code << 1) | static_cast<uint32_t>(bit);
            ++length;
            if (empty && code == 0) continue;  // fill bits or the zeros of an EOL
            if (empty && code == 1 && length >= 12) {
                // Another EOL straight away: no line between two EOLs.
                if (++eolsInARow >= 5) return true;  // return to control: six EOLs
                code = 0;
                length = 0;
                continue;
            }
            if (length > 13) return false;
            const auto found = tables.runs[colour].find(Tables::Key({code, length}));
            if (found == tables.runs[colour].end()) continue;
            const int run = found->second;
            code = 0;
            length = 0;
            empty = false;
            eolsInARow = 0;
            if (x + run > kFaxWidth) return false;
            if (colour) SetRun(row, x, run);
            x += run;
            if (run < 64) {
                colour ^= 1;
                if (x == kFaxWidth) lineDone = true;
            }
        }
        rows.push_back(std::move(row));
    }
}

}  // namespace mivox

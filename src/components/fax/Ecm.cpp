#include "components/fax/Ecm.h"

#include <algorithm>

#include "components/fax/Hdlc.h"
#include "components/fax/ModifiedHuffman.h"

namespace mivox::ecm {

namespace {

constexpr uint8_t kFlag = 0x7E;
// Flags before the first frame, for the receiver to find the frames'
// edges after its training; and after the last, so that the modem's end
// of carrier cuts none of it.
constexpr int kLeadingFlags = 64;
constexpr int kTrailingFlags = 8;
constexpr int kRcpFrames = 3;

// The bit stream of HDLC frames as it goes down the line.
class HdlcBits {
public:
    void Flags(int count) {
        for (int i = 0; i < count; ++i) bits_.Put(kFlag, 8);  // the same either way round
    }
    // The frame and its check sequence, each octet first bit first, with a
    // zero after every five ones in a row; then a flag.
    void Frame(const std::string& bytes) {
        int ones = 0;
        for (const char byte : WithFcs(bytes)) {
            for (int bit = 0; bit < 8; ++bit) {
                const bool one = (static_cast<uint8_t>(byte) >> bit) & 1;
                bits_.Put(one, 1);
                ones = one ? ones + 1 : 0;
                if (ones == 5) {
                    bits_.Put(0, 1);
                    ones = 0;
                }
            }
        }
        Flags(1);
    }
    // The bits to whole bytes, padded with ones (an idle line).
    std::string Bytes() {
        while (bits_.BitCount() % 8) bits_.Put(1, 1);
        return bits_.Bytes();
    }

private:
    BitWriter bits_{/*lsbFirst=*/true};
};

std::string Address(uint8_t fcf) {
    return {'\xFF', '\x03', static_cast<char>(fcf)};
}

}  // namespace

std::vector<std::vector<std::string>> Blocks(const std::string& pageData) {
    std::vector<std::vector<std::string>> blocks;
    for (size_t at = 0; at < pageData.size(); at += kFrameBytes) {
        if (blocks.empty() || blocks.back().size() == kBlockFrames) blocks.emplace_back();
        blocks.back().push_back(pageData.substr(at, kFrameBytes));
    }
    return blocks;
}

std::vector<size_t> AllFrames(const std::vector<std::string>& block) {
    std::vector<size_t> numbers(block.size());
    for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = i;
    return numbers;
}

std::string Transmission(const std::vector<std::string>& block,
                         const std::vector<size_t>& numbers) {
    HdlcBits bits;
    bits.Flags(kLeadingFlags);
    for (const size_t number : numbers) {
        if (number >= block.size()) continue;
        bits.Frame(Address(kFcd) + static_cast<char>(number) + block[number]);
    }
    for (int i = 0; i < kRcpFrames; ++i) bits.Frame(Address(kRcp));
    bits.Flags(kTrailingFlags);
    return bits.Bytes();
}

std::string PpsInfo(uint8_t postMessage, size_t page, size_t block, size_t frames) {
    return {static_cast<char>(postMessage), static_cast<char>(page & 0xFF),
            static_cast<char>(block & 0xFF), static_cast<char>((frames - 1) & 0xFF)};
}

std::vector<size_t> Requested(const std::string& pprInfo, size_t frames) {
    std::vector<size_t> numbers;
    const size_t bits = std::min(frames, pprInfo.size() * 8);
    for (size_t n = 0; n < bits; ++n)
        if ((static_cast<uint8_t>(pprInfo[n / 8]) >> (n % 8)) & 1) numbers.push_back(n);
    return numbers;
}

}  // namespace mivox::ecm

// Error correction mode: a page's coded data goes in numbered frames of 256
// bytes, up to 256 frames a block, and the receiver asks again for the
// frames that did not arrive clean until it has the block whole. The frames
// go down the line at the page's speed as an HDLC bit stream the sender
// makes itself (flags, a zero after five ones, each frame's check
// sequence), so a modem sends them with the same data command as a page
// without error correction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mivox::ecm {

constexpr size_t kFrameBytes = 256;
constexpr size_t kBlockFrames = 256;

// Facsimile control fields of the frames of a block.
constexpr uint8_t kFcd = 0x06;  // facsimile coded data
constexpr uint8_t kRcp = 0x86;  // return to control for partial page

// A page's data as blocks of frames' data, each frame kFrameBytes long but
// the page's last.
std::vector<std::vector<std::string>> Blocks(const std::string& pageData);

// The transmission of the frames `numbers` of a block (all of them the
// first time, then those asked for again), each with its number, then the
// three RCP frames: bytes for the modem, first bit in the least
// significant bit.
std::string Transmission(const std::vector<std::string>& block, const std::vector<size_t>& numbers);

// The frame numbers of a whole block.
std::vector<size_t> AllFrames(const std::vector<std::string>& block);

// The information of PPS: the post-message command that follows the block
// (0 when the page goes on in another block), the page and block counters
// and the number of frames in the block.
std::string PpsInfo(uint8_t postMessage, size_t page, size_t block, size_t frames);

// The frames of a block of `frames` that a PPR's information asks for
// again: its bit n (from the first octet's least significant bit) stands
// for frame n. Bits past the block are ignored.
std::vector<size_t> Requested(const std::string& pprInfo, size_t frames);

}  // namespace mivox::ecm

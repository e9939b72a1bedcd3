// Fax control frames of the T.30 procedure: their control field octets as a
// Class 1 modem delivers them (first bit sent in the least significant bit),
// the fields of the capabilities (DIS) and settings (DCS) frames, and the
// speeds with their modulations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mivox::t30 {

// Responses of the called machine; a calling machine's commands carry the
// low bit set (the "X" bit), which a receiver ignores.
enum Fcf : uint8_t {
    kDis = 0x80,
    kCsi = 0x40,
    kNsf = 0x20,
    kCfr = 0x84,
    kFtt = 0x44,
    kMcf = 0x8C,
    kRtn = 0x4C,
    kRtp = 0xCC,
    kPin = 0x2C,
    kPip = 0xAC,
    kCrp = 0x1A,
    kDcs = 0x82,
    kTsi = 0x42,
    kMps = 0x4E,
    kEop = 0x2E,
    kEom = 0x8E,
    kDcn = 0xFA,
    // Error correction: the partial page, the receiver's request for
    // frames again and its "not ready", the question after it, and the
    // continuation of the correction at another speed.
    kPps = 0xBE,
    kPpr = 0xBC,
    kRnr = 0xEC,
    kRr = 0x6E,
    kCtc = 0x12,
    kCtr = 0xC4,
};
constexpr uint8_t kXBit = 0x01;
inline uint8_t Command(uint8_t fcf) {
    return fcf | kXBit;
}
inline uint8_t Kind(uint8_t fcf) {
    return fcf & ~kXBit;
}

// Bits of DIS and DCS, numbered from 1 as the recommendation does.
inline bool Bit(const std::string& field, int n) {
    const size_t byte = static_cast<size_t>(n - 1) / 8;
    return byte < field.size() && (static_cast<uint8_t>(field[byte]) >> ((n - 1) % 8)) & 1;
}
inline void SetBit(std::string& field, int n, bool on = true) {
    const size_t byte = static_cast<size_t>(n - 1) / 8;
    if (field.size() <= byte) field.resize(byte + 1, '\0');
    const auto mask = static_cast<uint8_t>(1u << ((n - 1) % 8));
    field[byte] = static_cast<char>(on ? field[byte] | mask : field[byte] & ~mask);
}
constexpr int kBitReceiver = 10;        // DIS: can receive; DCS: receive this
constexpr int kBitRateFirst = 11;       // bits 11-14: modulation and speed
constexpr int kBitTwoDimensional = 16;  // two-dimensional coding (Modified READ)
constexpr int kBitScanTimeFirst = 21;   // bits 21-23: minimum scan line time
constexpr int kBitExtend = 24;          // a fourth octet follows
constexpr int kBitEcm = 27;             // error correction mode (frames of 256 bytes in DCS)

// One speed with its modulation: the Class 1 modulation numbers for
// +FTM/+FRM and the code of bits 11-14 in DCS. V.17 trains long for the
// training check and short for the pages that follow CFR and MCF; the
// other modems have one training.
struct Speed {
    int bitsPerSecond;
    int modulation;      // the training check
    int pageModulation;  // the pages
    uint8_t dcsRate;     // bits 11..14 as bit 0..3
};
// From the fastest down, the order the sender tries them.
const std::vector<Speed>& Speeds();
// The speeds a DIS allows (bits 11-14).
std::vector<Speed> SpeedsOfDis(const std::string& dis);

// Minimum scan line time at standard resolution a DIS asks for, in ms
// (0, 5, 10, 20 or 40).
int MinScanTimeOfDis(const std::string& dis);
// The DCS bits 21-23 for a scan line time.
uint8_t DcsScanTimeCode(int ms);

// An identifier (TSI, CSI): 20 characters, sent last character first.
std::string EncodeId(const std::string& id);
std::string DecodeId(const std::string& field);

}  // namespace mivox::t30

// The HDLC frames of fax control (address, control, facsimile control field
// and information) as a Class 1 modem exchanges them with the computer: the
// modem adds flags and bit stuffing, the computer escapes DLE characters and
// checks the frame check sequence the modem hands on with each frame.
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;

// The 16-bit frame check sequence of HDLC (the CCITT polynomial, bits taken
// least significant first, the one's complement sent low byte first).
uint16_t HdlcFcs(const std::string& bytes);
// The bytes followed by their frame check sequence.
std::string WithFcs(const std::string& bytes);
// True when the frame's last two bytes are the right check sequence.
bool FcsGood(const std::string& frameWithFcs);

// Data for the modem: each DLE doubled, then DLE ETX to end it.
std::string DleEncode(const std::string& data);

// One fax control frame.
struct HdlcFrame {
    bool final = true;  // the last frame of a command or response
    uint8_t fcf = 0;    // facsimile control field, as the octet arrives
    std::string info;   // facsimile information field

    // Address 0xFF, control 0x13 (final) or 0x03, the control field and the
    // information field.
    std::string Bytes() const;
    // Reads the bytes of a received frame (without its check sequence);
    // false when they are not a fax control frame.
    static bool Parse(const std::string& bytes, HdlcFrame& frame);
};

}  // namespace mivox

#include "components/fax/Hdlc.h"

namespace mivox {

uint16_t HdlcFcs(const std::string& bytes) {
    uint16_t crc = 0xFFFF;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
    }
    return static_cast<uint16_t>(~crc);
}

std::string WithFcs(const std::string& bytes) {
    const uint16_t fcs = HdlcFcs(bytes);
    std::string out = bytes;
    out.push_back(static_cast<char>(fcs & 0xFF));
    out.push_back(static_cast<char>(fcs >> 8));
    return out;
}

bool FcsGood(const std::string& frame) {
    return frame.size() >= 2 && WithFcs(frame.substr(0, frame.size() - 2)) == frame;
}

std::string DleEncode(const std::string& data) {
    std::string out;
    out.reserve(data.size() + data.size() / 64 + 2);
    for (char c : data) {
        out.push_back(c);
        if (c == kDle) out.push_back(kDle);
    }
    out.push_back(kDle);
    out.push_back(kEtx);
    return out;
}

std::string HdlcFrame::Bytes() const {
    std::string out = {'\xFF', final ? '\x13' : '\x03', static_cast<char>(fcf)};
    return out + info;
}

bool HdlcFrame::Parse(const std::string& bytes, HdlcFrame& frame) {
    if (bytes.size() < 3 || static_cast<uint8_t>(bytes[0]) != 0xFF) return false;
    const uint8_t control = static_cast<uint8_t>(bytes[1]);
    if (control != 0x13 && control != 0x03) return false;
    frame.final = control == 0x13;
    frame.fcf = static_cast<uint8_t>(bytes[2]);
    frame.info = bytes.substr(3);
    return true;
}

}  // namespace mivox

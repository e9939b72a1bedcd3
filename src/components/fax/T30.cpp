#include "components/fax/T30.h"

namespace mivox::t30 {
namespace {

uint8_t Field(const std::string& frame, int first, int count) {
    uint8_t value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<uint8_t>(Bit(frame, first + i) << i);
    return value;
}

}  // namespace

const std::vector<Speed>& Speeds() {
    static const std::vector<Speed> speeds = {
        {14400, 145, 146, 0x8},  // V.17
        {12000, 121, 122, 0xA},  // V.17
        // V.17's coding keeps about 3 dB more margin in noise than V.29 at
        // the same speed: all its speeds come first.
        {9600, 97, 98, 0x9},  // V.17
        {7200, 73, 74, 0xB},  // V.17
        {9600, 96, 96, 0x1},  // V.29
        {7200, 72, 72, 0x3},  // V.29
        {4800, 48, 48, 0x2},  // V.27 ter
        {2400, 24, 24, 0x0},  // V.27 ter
    };
    return speeds;
}

std::vector<Speed> SpeedsOfDis(const std::string& dis) {
    const uint8_t rates = Field(dis, kBitRateFirst, 4);
    const bool v29 = rates & 0x1;
    const bool v27 = rates & 0x2;
    const bool v17 = (rates & 0x8) && v29 && v27;
    std::vector<Speed> allowed;
    for (const Speed& speed : Speeds()) {
        const bool isV17 = speed.modulation != speed.pageModulation;
        const bool ok = isV17                    ? v17
                        : speed.modulation >= 72 ? v29
                                                 : (v27 || speed.bitsPerSecond == 2400);
        if (ok) allowed.push_back(speed);
    }
    return allowed;
}

int MinScanTimeOfDis(const std::string& dis) {
    // Bits 21, 22, 23 as bit 0, 1, 2; the codes 110, 011 and 101 (written
    // bit 21 first) halve the time at fine resolution, which is not sent.
    static const int kStandardMs[8] = {
        20,  // 000
        5,   // 100
        10,  // 010
        20,  // 110
        40,  // 001
        40,  // 101
        10,  // 011
        0,   // 111
    };
    return kStandardMs[Field(dis, kBitScanTimeFirst, 3)];
}

uint8_t DcsScanTimeCode(int ms) {
    switch (ms) {
        case 40:
            return 0b100;
        case 10:
            return 0b010;
        case 5:
            return 0b001;
        case 0:
            return 0b111;
        default:
            return 0b000;  // 20 ms
    }
}

std::string EncodeId(const std::string& id) {
    std::string padded = id.substr(0, 20);
    padded.resize(20, ' ');
    return std::string(padded.rbegin(), padded.rend());
}

std::string DecodeId(const std::string& field) {
    std::string id(field.rbegin(), field.rend());
    std::string clean;
    for (char c : id)
        if (static_cast<unsigned char>(c) >= ' ' && static_cast<unsigned char>(c) < 0x7F)
            clean += c;
    const size_t first = clean.find_first_not_of(' ');
    const size_t last = clean.find_last_not_of(' ');
    return first == std::string::npos ? "" : clean.substr(first, last - first + 1).substr(0, 20);
}

}  // namespace mivox::t30

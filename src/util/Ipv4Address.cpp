#include "util/Ipv4Address.h"

namespace mivox {

bool ParseIpv4Address(const std::string& text, Ipv4Address& address) {
    Ipv4Address parsed{};
    size_t at = 0;
    for (size_t part = 0; part < parsed.size(); ++part) {
        if (part > 0 && (at >= text.size() || text[at++] != '.')) return false;
        unsigned value = 0;
        size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
            value = value * 10 + static_cast<unsigned>(text[at] - '0');
            if (digits == 3 || value > 255) return false;
        }
        // A leading zero would be octal to some readers.
        if (digits == 0 || (digits > 1 && text[at - digits] == '0')) return false;
        parsed[part] = static_cast<uint8_t>(value);
    }
    if (at != text.size()) return false;
    address = parsed;
    return true;
}

std::string Ipv4AddressText(const Ipv4Address& address) {
    std::string text;
    for (size_t part = 0; part < address.size(); ++part) {
        if (part > 0) text += '.';
        text += std::to_string(address[part]);
    }
    return text;
}

}  // namespace mivox

// IPv4 addresses as dotted text, strictly: four decimal numbers of 0-255
// with one to three digits each, as the system's inet_pton reads them. The
// looser forms of inet_addr (127.1, octal 0177.0.0.1, hexadecimal) are not
// addresses here, so that such a server name is looked up as a name.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace mivox {

using Ipv4Address = std::array<uint8_t, 4>;  // in network order

bool ParseIpv4Address(const std::string& text, Ipv4Address& address);
std::string Ipv4AddressText(const Ipv4Address& address);

}  // namespace mivox

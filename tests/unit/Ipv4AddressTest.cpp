// Dotted addresses are read as the system's strict reader reads them: what
// it refuses is a host name to be looked up.
#include <gtest/gtest.h>

#include "util/Ipv4Address.h"

namespace mivox {
namespace {

TEST(Ipv4Address, ReadsOnlyFourDecimalNumbersUpTo255) {
    for (const char* text : {"127.0.0.1", "0.0.0.0", "255.255.255.255", "10.20.30.40"}) {
        Ipv4Address address{};
        ASSERT_TRUE(ParseIpv4Address(text, address)) << text;
        EXPECT_EQ(Ipv4AddressText(address), text);
    }
    Ipv4Address address{};
    ASSERT_TRUE(ParseIpv4Address("192.168.1.20", address));
    EXPECT_EQ(address, (Ipv4Address{192, 168, 1, 20}));

    const char* const names[] = {
        "",         "127.1",     "127.0.0",    "127.0.0.1.",       ".1.2.3.4",
        "1..2.3",   "256.0.0.1", "1.2.3.1000", "0177.0.0.1",       "0x7f.0.0.1",
        "1.2.3.4 ", " 1.2.3.4",  "1.2.3.-4",   "mail.example.com", "1.2.3.4\n",
        "00.1.2.3"};
    for (const char* text : names) {
        Ipv4Address untouched{9, 9, 9, 9};
        EXPECT_FALSE(ParseIpv4Address(text, untouched)) << '"' << text << '"';
        EXPECT_EQ(untouched, (Ipv4Address{9, 9, 9, 9})) << text;
    }
}

}  // namespace
}  // namespace mivox

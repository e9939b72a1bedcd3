// The registration URL: the numbers' clean-up, the encoding of the values,
// the two scripts and the length that decides between them.
#include "registration/WebUrl.h"

#include <gtest/gtest.h>

namespace mivox {
namespace {

RegistrationForm Sample() {
    RegistrationForm d;
    d.firstName = "Ann";
    d.lastName = "Smith";
    d.company = "Acme Audio Labs";
    d.country = "USA";
    d.telephone = "+1 541 (555) 01-42";
    d.productName = "Mivox";
    d.productVersion = "4.10";
    d.day = " 7";
    d.month = "Jan";
    d.year = "2026";
    return d;
}

TEST(WebUrlTest, PhoneNumbersLoseTheirPlusSignsAndBlanksOnly) {
    EXPECT_EQ(StripPhoneChars("+1 541 (555) 01-42"), "1541(555)01-42");
    EXPECT_EQ(StripPhoneChars(""), "");
    // Cut to 255 characters before the blanks go: the blanks count.
    const std::string longNumber = std::string(250, '9') + "      123";
    EXPECT_EQ(StripPhoneChars(longNumber), std::string(250, '9'));
    EXPECT_EQ(SpacesToPlus(" a  b "), "+a++b+");
}

TEST(WebUrlTest, QueryHoldsEveryKeyInOrderWithTheSpecialValues) {
    const std::string query = BuildWebQuery(Sample());
    EXPECT_EQ(query,
              "a=Ann&b=Smith&c=Acme Audio Labs&d=&e=&f=&g=&h=&i=&j=USA&k=1541(555)01-42&l=&m="
              "&n=Mivox&o=4.10&p=&q=Jan  7 2026&r=VXLR");
    RegistrationForm dealer = Sample();
    dealer.fromDealer = true;
    dealer.dealer = "Sound Shop";
    EXPECT_TRUE(BuildWebQuery(dealer).ends_with("&q=Jan  7 2026&r=Sound Shop"));
}

TEST(WebUrlTest, DirectAndFormFillUrlsTurnSpacesIntoPlusSigns) {
    const RegistrationForm d = Sample();
    EXPECT_EQ(DirectUrl(d),
              "http://www.vexlor.example/cgi-bin/tp_rg.pl?mlto=webreg@vexlor.example&a=Ann&b=Smith"
              "&c=Acme+Audio+Labs&d=&e=&f=&g=&h=&i=&j=USA&k=1541(555)01-42&l=&m=&n=Mivox&o=4.10"
              "&p=&q=Jan++7+2026&r=VXLR");
    EXPECT_EQ(FormFillUrl(d),
              "http://www.vexlor.example/cgi-bin/reg.pl?a=Ann&b=Smith&c=Acme+Audio+Labs&d=&e=&f="
              "&g=&h=&i=&j=USA&k=1541(555)01-42&l=&m=&n=Mivox&o=4.10&p=&q=Jan++7+2026&r=VXLR");
}

TEST(WebUrlTest, ReservedAndUnsafeBytesAreEncodedSoNoValueSplits) {
    EXPECT_EQ(EncodeQueryValue("Smith & Sons=100%+#1"), "Smith %26 Sons%3D100%25%2B%231");
    EXPECT_EQ(EncodeQueryValue("\"<>\\^`{|}"), "%22%3C%3E%5C%5E%60%7B%7C%7D");
    EXPECT_EQ(EncodeQueryValue(std::string("\t\x7F\x80\xE9\xFF\r\n", 7)), "%09%7F%80%E9%FF%0D%0A");
    // Everything else passes as typed.
    EXPECT_EQ(EncodeQueryValue("Ann-O'Neil (x)@a.example/~;:,!*$?[]"),
              "Ann-O'Neil (x)@a.example/~;:,!*$?[]");

    RegistrationForm d = Sample();
    d.fromDealer = true;
    d.dealer = "A&B \"Audio\"";
    d.company = "Caf\xE9";
    const std::string url = DirectUrl(d);
    EXPECT_NE(url.find("&c=Caf%E9&"), std::string::npos);
    EXPECT_TRUE(url.ends_with("&r=A%26B+%22Audio%22")) << url;
    EXPECT_EQ(url.find('"'), std::string::npos);
}

TEST(WebUrlTest, TheLengthRuleCountsTheFinishedUrl) {
    RegistrationForm d = Sample();
    d.company.clear();
    const size_t base = DirectUrl(d).size();
    ASSERT_LT(base, kMaxDirectUrl);
    d.company = std::string(kMaxDirectUrl - base, 'x');
    EXPECT_EQ(DirectUrl(d).size(), 255u);
    // One "&" is three characters once encoded.
    d.company = std::string(kMaxDirectUrl - base - 3, 'x') + "&";
    EXPECT_EQ(DirectUrl(d).size(), 255u);
    d.company = std::string(kMaxDirectUrl - base - 2, 'x') + "&";
    EXPECT_EQ(DirectUrl(d).size(), 256u);
}

}  // namespace
}  // namespace mivox

#include "util/TextUtil.h"

#include <gtest/gtest.h>

namespace mivox {
namespace {

TEST(PadNumber, RightAlignsWithBlanksAndNeverCuts) {
    EXPECT_EQ(PadNumber(7, 2), " 7");
    EXPECT_EQ(PadNumber(-7, 4), "  -7");
    EXPECT_EQ(PadNumber(12345, 3), "12345");
    EXPECT_EQ(PadNumber(0, 0), "0");
}

TEST(ZeroPadNumber, FillsWithZerosAndMovesTheSignFirst) {
    EXPECT_EQ(ZeroPadNumber(1, 3), "001");
    EXPECT_EQ(ZeroPadNumber(-5, 3), "-05");
    EXPECT_EQ(ZeroPadNumber(1234, 3), "1234");
    EXPECT_EQ(ZeroPadNumber(-1234, 3), "-1234");
    EXPECT_EQ(ZeroPadNumber(-3, 4), "-003");
    EXPECT_EQ(ZeroPadNumber(3, 4), "0003");
}

TEST(HexText, GivesExactlyTheDigitCount) {
    EXPECT_EQ(HexText(3405691582u, 8), "CAFEBABE");
    EXPECT_EQ(HexText(255, 8), "000000FF");
    EXPECT_EQ(HexText(0, 8), "00000000");
    EXPECT_EQ(HexText(0xFFFFFFFFu, 8), "FFFFFFFF");
    EXPECT_EQ(HexText(0x1FF, 2), "FF") << "high digits beyond the count are lost";
    EXPECT_EQ(HexText(0xABCDEF12u, 10), "00ABCDEF12");
    EXPECT_EQ(HexText(5, 0), "");
}

TEST(UpperText, TurnsOnlyAsciiLetters) {
    EXPECT_EQ(UpperText("Setup.exe 1a-z"), "SETUP.EXE 1A-Z");
    EXPECT_EQ(UpperText("\xe9t\xe9"), "\xe9T\xe9") << "accented letters stay as they are";
}

TEST(TrimEnd, DropsOnlyTheGivenCharactersAtTheEnd) {
    EXPECT_EQ(TrimEnd("Access is denied. \r\n", "\r\n ."), "Access is denied");
    EXPECT_EQ(TrimEnd(" a.b ", " "), " a.b") << "the start and the middle stay";
    EXPECT_EQ(TrimEnd("\r\n", "\r\n"), "");
    EXPECT_EQ(TrimEnd("", "\r\n"), "");
}

TEST(StripBlanks, DropsBlanksAndNuls) {
    EXPECT_EQ(StripBlanks(std::string(" 4. 5\0x ", 8)), "4.5x");
    EXPECT_EQ(StripBlanks("\t4"), "\t4") << "only blanks and NULs go";
}

TEST(RemoveText, RemovesTheFirstOccurrenceIgnoringCase) {
    EXPECT_EQ(RemoveText("C:\\Medium\\setup.exe", "\\SETUP.EXE"), "C:\\Medium");
    EXPECT_EQ(RemoveText("C:\\Medium\\Install.exe", "\\SETUP.EXE"), "C:\\Medium\\Install.exe");
    EXPECT_EQ(RemoveText("abAB", "ab"), "AB");
    EXPECT_EQ(RemoveText("", "x"), "");
    EXPECT_EQ(RemoveText("x", ""), "x");
}

TEST(TextToReal, ReadsWholeNumbers) {
    EXPECT_DOUBLE_EQ(static_cast<double>(TextToReal("4.5")), 4.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(TextToReal(" -4 .5 ")), -4.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(TextToReal("+12")), 12);
    EXPECT_DOUBLE_EQ(static_cast<double>(TextToReal("1.5E3")), 1500);
    EXPECT_DOUBLE_EQ(static_cast<double>(TextToReal("25e-1")), 2.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(TextToReal("4.")), 4);
}

TEST(TextToReal, TakesTheGatheredDigitsWhenReadingStopsEarly) {
    EXPECT_EQ(TextToReal("4.10.0.3"), 410);
    EXPECT_EQ(TextToReal("1.0.0.0"), 10);
    EXPECT_EQ(TextToReal("0.3.0.0"), 3);
    EXPECT_EQ(TextToReal("-4x"), 4) << "the sign is ignored";
    EXPECT_EQ(TextToReal("1.5E3x"), 15) << "and so is the exponent";
    EXPECT_EQ(TextToReal("4,5"), 4) << "the point is always a full stop";
}

TEST(TextToReal, KeepsLongDigitRunsAndExtremePowersInRange) {
    // Thousands of digits must not overflow the number before the exponent
    // scales it back.
    EXPECT_EQ(TextToReal("1" + std::string(4940, '0') + "e-4930"), 1e10L);
    EXPECT_EQ(TextToReal("0." + std::string(5000, '0') + "25e5001"), 2.5L);
    EXPECT_EQ(TextToReal("12345678901234567890123"), 12345678901234567890123.0L);
    // A power of ten below the range must not take the digits with it.
    EXPECT_NEAR(static_cast<double>(TextToReal("1234567890123456789e-4950") * 1e4932L), 1.2345678,
                1e-7);
    EXPECT_EQ(TextToReal("1" + std::string(30, '0') + ".5x"), 1e31L);
}

TEST(TextToReal, GivesZeroForTextsWithoutDigits) {
    EXPECT_EQ(TextToReal(""), 0);
    EXPECT_EQ(TextToReal("?"), 0);
    EXPECT_EQ(TextToReal("NoData"), 0);
    EXPECT_EQ(TextToReal("-"), 0);
}

}  // namespace
}  // namespace mivox

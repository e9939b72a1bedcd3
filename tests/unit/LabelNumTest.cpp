#include "controls/LabelNum.h"

#include <cmath>
#include <limits>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/FakeControl.h"

namespace mivox {
namespace {

using ::testing::MatchesRegex;

std::string Caption(const LabelNumFormat& format, long double value) {
    return LabelNumText(format, value);
}

LabelNumFormat IntFormat(TIntMode mode, int width) {
    LabelNumFormat format;
    format.IntMode = mode;
    format.ValueWidthTotal = width;
    return format;
}

TEST(LabelNumText, IntegerModesRoundHalvesToEvenAndHoldTo32Bits) {
    const LabelNumFormat automatic = IntFormat(imAutoInt, 8);
    EXPECT_EQ(Caption(automatic, 2.5L), "2");
    EXPECT_EQ(Caption(automatic, 3.5L), "4");
    EXPECT_EQ(Caption(automatic, -2.5L), "-2");
    EXPECT_EQ(Caption(automatic, 3e9L), "2147483647");
    EXPECT_EQ(Caption(automatic, -3e9L), "-2147483648");
    EXPECT_EQ(Caption(automatic, std::nanl("")), "2147483647");

    EXPECT_EQ(Caption(IntFormat(imFixedInt, 6), -42), "   -42");
    EXPECT_EQ(Caption(IntFormat(imFixedInt, 3), 123456), "123456") << "never cut";
    EXPECT_EQ(Caption(IntFormat(imFixedIntZero, 6), 42), "000042");
    EXPECT_EQ(Caption(IntFormat(imFixedIntZero, 6), -42), "-00042");
}

TEST(LabelNumText, ThousandsSeparatorsTakeThePlaceOfLeadingBlanks) {
    const LabelNumFormat format = IntFormat(imFixedIntComma, 10);
    EXPECT_EQ(Caption(format, 0), "         0");
    EXPECT_EQ(Caption(format, 999), "       999");
    EXPECT_EQ(Caption(format, 1000), "     1,000");
    EXPECT_EQ(Caption(format, 1234567), " 1,234,567");
    EXPECT_EQ(Caption(format, -123), "      -123") << "no separator after the sign";
    EXPECT_EQ(Caption(format, -123456), "  -123,456");
    EXPECT_EQ(Caption(format, 1234567890), "1,234,567,890");
    EXPECT_EQ(Caption(format, -1e12L), "-2,147,483,648");
    // A number wider than the field keeps every digit.
    EXPECT_EQ(Caption(IntFormat(imFixedIntComma, 5), 1234567), "1,234,567");
}

TEST(LabelNumText, HexadecimalShowsNoNegativesAndKeepsItsWidth) {
    LabelNumFormat format;
    format.ValueMode = vmHex;
    EXPECT_EQ(Caption(format, 0), "0");
    EXPECT_EQ(Caption(format, 255), "FF");
    EXPECT_EQ(Caption(format, 256), "100");
    EXPECT_EQ(Caption(format, 2147483647), "7FFFFFFF");
    long double negative = -5;
    EXPECT_EQ(LabelNumText(format, negative), "0");
    EXPECT_EQ(negative, 0) << "the stored value becomes 0";

    format.HexMode = hmFixed;
    format.ValueWidthTotal = 4;
    EXPECT_EQ(Caption(format, 255), "00FF");
    EXPECT_EQ(Caption(format, 0x12345), "2345") << "the low digits of a long number";
}

TEST(LabelNumText, NoNegAndNoZeroReplaceTheStoredValue) {
    LabelNumFormat format;
    format.NoZero = true;
    long double value = 0;
    EXPECT_EQ(LabelNumText(format, value), "1");
    EXPECT_EQ(value, 1);
    value = 0.3L;
    EXPECT_EQ(LabelNumText(format, value), "1") << "the whole number 0 is replaced too";

    format.NoZero = false;
    format.NoNeg = true;
    value = -7;
    EXPECT_EQ(LabelNumText(format, value), "0");
    EXPECT_EQ(value, 0);

    format.NoZero = true;
    format.ValueMode = vmReal;
    format.RealMode = rmFixedReal;
    format.ValueWidthDecimal = 2;
    value = -7;
    EXPECT_EQ(LabelNumText(format, value), "    1.00") << "negative becomes 0, then 1";
}

TEST(FixedText, RoundsTheWrittenDecimalAndPadsWithoutCutting) {
    EXPECT_EQ(FixedText(3.14159L, 2, 8), "    3.14");
    EXPECT_EQ(FixedText(1.005L, 2, 0), "1.01");
    EXPECT_EQ(FixedText(0.125L, 2, 0), "0.13");
    EXPECT_EQ(FixedText(-0.125L, 2, 0), "-0.13");
    EXPECT_EQ(FixedText(9.9996L, 3, 0), "10.000");
    EXPECT_EQ(FixedText(-0.004L, 2, 6), "  0.00") << "no sign on a rounded zero";
    EXPECT_EQ(FixedText(0.0000123L, 7, 0), "0.0000123");
    EXPECT_EQ(FixedText(2.5L, 0, 3), "  3");
    EXPECT_EQ(FixedText(1e20L, 1, 4), "100000000000000000000.0");
    EXPECT_EQ(FixedText(1234.5L, -3, 0), "1235") << "negative decimals count as none";
    EXPECT_EQ(FixedText(std::numeric_limits<long double>::infinity(), 2, 5), "  INF");
    EXPECT_EQ(FixedText(std::nanl(""), 2, 0), "NAN");
    EXPECT_EQ(FixedText(std::numeric_limits<long double>::denorm_min(), 3, 0), "0.000");
    EXPECT_EQ(FixedText(1, 2, 100000).size(), 255u) << "widths are held to a caption's size";
}

TEST(ScientificText, NormalisesTheMantissaAndSignsTheExponent) {
    EXPECT_EQ(ScientificText(12345, 10), " 1.23E+004");
    EXPECT_EQ(ScientificText(0.00123L, 10), " 1.23E-003");
    EXPECT_EQ(ScientificText(0, 10), " 0.00E+000");
    EXPECT_EQ(ScientificText(-5, 10), "-5.00E+000");
    EXPECT_EQ(ScientificText(0.9995L, 10), " 1.00E+000");
    EXPECT_EQ(ScientificText(12345, 4), " 1.23E+004") << "never narrower than 10";
    EXPECT_EQ(ScientificText(12345, 12), " 1.2345E+004");
    EXPECT_EQ(ScientificText(std::numeric_limits<long double>::infinity(), 10), "       INF");
    EXPECT_THAT(ScientificText(std::numeric_limits<long double>::denorm_min(), 10),
                MatchesRegex(" [1-9]\\.[0-9][0-9]E-[0-9]+"));
    EXPECT_THAT(ScientificText(std::numeric_limits<long double>::max(), 10),
                MatchesRegex(" [1-9]\\.[0-9][0-9]E[0-9]+"));
}

TEST(EngineeringText, ScalesByThousandsWithAPrefixLetter) {
    EXPECT_EQ(EngineeringText(4700, 4), "   4.7000K");
    EXPECT_EQ(EngineeringText(0, 4), "   0.0000 ");
    EXPECT_EQ(EngineeringText(-0.0047L, 4), "  -4.7000m");
    EXPECT_EQ(EngineeringText(999.9999L, 4), " 999.9999 ");
    EXPECT_EQ(EngineeringText(2.2e-6L, 1), "   2.2u");
    EXPECT_EQ(EngineeringText(1e24L, 1), "   1.0Y");
    EXPECT_EQ(EngineeringText(1e27L, 1), "1000.0Y");
    EXPECT_EQ(EngineeringText(1e-27L, 4), "   0.0010y");
    EXPECT_EQ(EngineeringText(2e27L, 4), " 2.00E+027") << "out of range: scientific";
    EXPECT_EQ(EngineeringText(1e-28L, 4), " 1.00E-028");
}

TEST(SpiceText, UsesTheSimulatorSuffixes) {
    EXPECT_EQ(SpiceText(1500000), "   1.500MEG");
    EXPECT_EQ(SpiceText(0.0047L), "   4.700M");
    EXPECT_EQ(SpiceText(0), "   0.000 ");
    EXPECT_EQ(SpiceText(999), "   0.999K");
    EXPECT_EQ(SpiceText(0.999L), "   0.999 ");
    EXPECT_EQ(SpiceText(-2200), "  -2.200K");
    EXPECT_EQ(SpiceText(1e18L), "1000000.000T") << "no step beyond T";
    EXPECT_EQ(SpiceText(1e-20L), "   0.010A") << "no step beyond A";
}

TEST(ComponentText, ShowsTwoOrThreeSignificantDigits) {
    EXPECT_EQ(ComponentText(4700, 1), "4.70K");
    EXPECT_EQ(ComponentText(4700, 2), "4.7K");
    EXPECT_EQ(ComponentText(47000, 1), "47.0K");
    EXPECT_EQ(ComponentText(47000, 2), "47K");
    EXPECT_EQ(ComponentText(470000, 1), "470K");
    EXPECT_EQ(ComponentText(470000, 2), "470K");
    EXPECT_EQ(ComponentText(4.7L, 1), "4.70");
    EXPECT_EQ(ComponentText(4.7L, 2), "4.7");
    EXPECT_EQ(ComponentText(4700, 0), "4.7000K");
    EXPECT_EQ(ComponentText(-470, 1), "-470") << "the sign in column 1 stays";
    EXPECT_EQ(ComponentText(999.99996L, 1), "1000") << "a rounded 1000 stays whole";
    EXPECT_EQ(ComponentText(1e30L, 1), "1.00E+030") << "out of range: scientific";
}

TEST(ScaleText, GivesTheDecimalsTheMagnitudeLeavesRoomFor) {
    EXPECT_EQ(ScaleText(5), " 5.000");
    EXPECT_EQ(ScaleText(9.99L), "  9.99");
    EXPECT_EQ(ScaleText(-50), "-50.00");
    EXPECT_EQ(ScaleText(99.9L), "  99.9");
    EXPECT_EQ(ScaleText(998.96L), " 999.0");
    EXPECT_EQ(ScaleText(999), "   999");
}

TEST(TLabelNum, RendersOnlyWhenAPropertyOrTheValueChanges) {
    testing::FakeControl peer;
    TLabelNum label(peer);
    EXPECT_EQ(peer.Text(), "0000");
    const int atStart = peer.textChanges;

    label.SetIntMode(imFixedIntComma);
    label.SetValueWidthTotal(10);
    label.SetIntValue(1234567);
    EXPECT_EQ(peer.Text(), " 1,234,567");
    EXPECT_EQ(peer.textChanges, atStart + 3);

    label.SetIntMode(imFixedIntComma);
    label.SetValueWidthTotal(10);
    label.SetIntValue(1234567);
    label.SetValueMode(vmInt);
    label.SetRealMode(rmEngrReal);
    label.SetNoZero(false);
    EXPECT_EQ(peer.textChanges, atStart + 3) << "setting the current value renders nothing";

    label.SetValueMode(vmReal);
    label.SetValueWidthDecimal(2);
    EXPECT_EQ(peer.Text(), "   1.23M");
    label.SetValue(std::nanl(""));
    const int withNan = peer.textChanges;
    label.SetValue(std::nanl(""));
    EXPECT_EQ(peer.textChanges, withNan);
}

TEST(TLabelNum, InvalidateRendersBeforeTheRepaint) {
    testing::FakeControl peer;
    TLabelNum label(peer);
    label.Invalidate();
    EXPECT_EQ(peer.Text(), "0") << "the first rendering replaces 0000";
    EXPECT_EQ(peer.invalidations, 1);
    peer.SetText("stale");
    label.Invalidate();
    EXPECT_EQ(peer.Text(), "0");
    EXPECT_EQ(peer.invalidations, 2);
}

TEST(TLabelNum, IntValueRoundsHalvesToEvenAndSeesReplacements) {
    testing::FakeControl peer;
    TLabelNum label(peer);
    label.SetValue(2.5L);
    EXPECT_EQ(label.GetIntValue(), 2);
    label.SetValue(-3.5L);
    EXPECT_EQ(label.GetIntValue(), -4);
    label.SetIntValue(int64_t{1} << 40);
    EXPECT_EQ(label.GetIntValue(), int64_t{1} << 40) << "the stored value is not held to 32 bits";
    EXPECT_EQ(peer.Text(), "2147483647");
    label.SetValue(1e30L);
    EXPECT_EQ(label.GetIntValue(), std::numeric_limits<int64_t>::max());

    label.SetIntValue(0);
    label.SetNoZero(true);
    EXPECT_EQ(peer.Text(), "1");
    EXPECT_EQ(label.GetIntValue(), 1);

    label.SetIntValue(-9);
    label.SetValueMode(vmHex);
    EXPECT_EQ(peer.Text(), "1") << "negative becomes 0, which NoZero makes 1";
    EXPECT_EQ(label.Value(), 1);
}

}  // namespace
}  // namespace mivox

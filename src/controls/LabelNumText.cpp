#include "controls/LabelNumText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "util/TextUtil.h"

namespace mivox {
namespace {

// No caption needs more room than this; wider widths and more decimals are
// held to it so that a stray property cannot ask for a huge text.
constexpr int kMaxWidth = 255;

// A long double carries a little over 19 significant digits. Reading it at 18
// before rounding shows the decimal that was meant: 1.005 gives 1.01, not
// the 1.00 its binary neighbour just below would give.
constexpr int kSignificantDigits = 18;
constexpr long double kLog10Of2 = 0.301029995663981195L;

std::string RightAlign(std::string text, int width) {
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
    return text;
}

// A positive number as 0.digits * 10^point; no digits means zero.
struct Decimal {
    std::string digits;
    int point = 0;
};

// Multiplies a number held in base-10^9 limbs (least significant first) by
// factor and adds addend.
void MultiplyAdd(std::vector<uint32_t>& limbs, uint64_t factor, uint64_t addend) {
    constexpr uint64_t kBase = 1000000000;
    uint64_t carry = addend;
    for (uint32_t& limb : limbs) {
        const uint64_t product = limb * factor + carry;
        limb = static_cast<uint32_t>(product % kBase);
        carry = product / kBase;
    }
    for (; carry != 0; carry /= kBase) limbs.push_back(static_cast<uint32_t>(carry % kBase));
}

void MultiplyByPower(std::vector<uint32_t>& limbs, uint64_t base, int chunkExponent, int exponent) {
    uint64_t chunk = 1;
    for (int i = 0; i < chunkExponent; ++i) chunk *= base;
    for (; exponent >= chunkExponent; exponent -= chunkExponent) MultiplyAdd(limbs, chunk, 0);
    uint64_t rest = 1;
    for (; exponent > 0; --exponent) rest *= base;
    MultiplyAdd(limbs, rest, 0);
}

// The exact decimal expansion of a finite positive value, so that rounding
// does not depend on the C library or its locale.
Decimal ExactDecimal(long double magnitude) {
    int exponent = 0;
    long double fraction = std::frexp(magnitude, &exponent);
    // magnitude = mantissa * 2^exponent with a whole mantissa, taken 32 bits
    // at a time.
    std::vector<uint32_t> limbs{0};
    constexpr int kWords = (std::numeric_limits<long double>::digits + 31) / 32;
    for (int i = 0; i < kWords; ++i) {
        fraction = std::ldexp(fraction, 32);
        const auto word = static_cast<uint32_t>(fraction);
        fraction -= word;
        MultiplyAdd(limbs, uint64_t{1} << 32, word);
    }
    exponent -= 32 * kWords;
    int fractionDigits = 0;
    if (exponent >= 0) {
        MultiplyByPower(limbs, 2, 31, exponent);
    } else {
        // m / 2^k = m * 5^k / 10^k
        MultiplyByPower(limbs, 5, 13, -exponent);
        fractionDigits = -exponent;
    }

    Decimal decimal;
    for (auto limb = limbs.rbegin(); limb != limbs.rend(); ++limb) {
        std::string part(9, '0');
        for (uint32_t v = *limb, i = 9; i-- > 0; v /= 10) part[i] = static_cast<char>('0' + v % 10);
        decimal.digits += part;
    }
    const size_t first = decimal.digits.find_first_not_of('0');
    decimal.digits.erase(0, first);
    decimal.point = static_cast<int>(decimal.digits.size()) - fractionDigits;
    return decimal;
}

// Keeps the first count digits, rounding half away from zero.
void KeepDigits(Decimal& decimal, int count) {
    if (count >= static_cast<int>(decimal.digits.size())) return;
    if (count < 0) {
        decimal.digits.clear();
        return;
    }
    const bool up = decimal.digits[count] >= '5';
    decimal.digits.resize(count);
    if (!up) return;
    int i = count - 1;
    while (i >= 0 && decimal.digits[i] == '9') decimal.digits[i--] = '0';
    if (i >= 0) {
        ++decimal.digits[i];
    } else {
        decimal.digits.insert(0, 1, '1');
        ++decimal.point;
    }
}

// 10^exponent, exact as far as 10^27.
long double PowerOfTen(int exponent) {
    if (exponent < 0 || exponent > 27) return std::pow(10.0L, exponent);
    long double power = 1;
    while (exponent-- > 0) power *= 10;
    return power;
}

// value / 10^exponent, by a multiplication for negative exponents, whose
// powers of ten are exact where a negative power is not, and in steps where
// 10^-exponent would overflow.
long double ScaleDown(long double value, int exponent) {
    constexpr int kStep = std::numeric_limits<long double>::max_exponent10 / 2;
    for (; exponent < -kStep; exponent += kStep) value *= PowerOfTen(kStep);
    return exponent >= 0 ? value / PowerOfTen(exponent) : value * PowerOfTen(-exponent);
}

bool InEngineeringRange(long double value) {
    const long double magnitude = std::fabs(value);
    return value == 0 || (magnitude >= 1e-27L && magnitude <= 1e27L);
}

// Thousands separators between the digits of a decimal number text.
std::string Grouped(const std::string& number) {
    std::string grouped;
    int digits = 0;
    for (auto c = number.rbegin(); c != number.rend(); ++c) {
        const bool isDigit = *c >= '0' && *c <= '9';
        if (isDigit && digits > 0 && digits % 3 == 0) grouped.insert(0, 1, ',');
        if (isDigit) ++digits;
        grouped.insert(0, 1, *c);
    }
    return grouped;
}

std::string IntegerText(TIntMode mode, int32_t number, int width) {
    switch (mode) {
        case imFixedInt:
            return PadNumber(number, width);
        case imFixedIntComma:
            // The whole number is grouped, however long: separators take the
            // place of leading blanks while there are any, and beyond that
            // the caption grows rather than lose digits.
            return RightAlign(Grouped(PadNumber(number, 0)), width);
        case imFixedIntZero:
            return ZeroPadNumber(number, width);
        default:
            return PadNumber(number, 0);
    }
}

std::string HexCaption(THexMode mode, uint32_t number, int width) {
    // hmFixed keeps exactly width digits: a number that needs more shows its
    // low digits, as a register display does.
    if (mode == hmFixed) return HexText(number, std::max(width, 0));
    int digits = 1;
    while (digits < 8 && number >= uint64_t{1} << (4 * digits)) ++digits;
    return HexText(number, digits);
}

std::string RealText(const LabelNumFormat& format, long double value) {
    switch (format.RealMode) {
        case rmFixedReal:
            return FixedText(value, format.ValueWidthDecimal, format.ValueWidthTotal);
        case rmSpiceReal:
            return SpiceText(value);
        case rmCompReal:
            return ComponentText(value, format.CompPrecision);
        case rmScaleReal:
            return ScaleText(value);
        case rmSciReal:
            return ScientificText(value, format.ValueWidthTotal);
        default:
            return EngineeringText(value, format.ValueWidthDecimal);
    }
}

}  // namespace

int64_t RoundHalfEven(long double value) {
    if (std::isnan(value) || value >= 0x1p63L) return std::numeric_limits<int64_t>::max();
    if (value < -0x1p63L) return std::numeric_limits<int64_t>::min();
    const long double whole = std::floor(value);
    const long double rest = value - whole;
    auto rounded = static_cast<int64_t>(whole);
    if (rest > 0.5L || (rest == 0.5L && rounded % 2 != 0)) ++rounded;
    return rounded;
}

std::string LabelNumText(const LabelNumFormat& format, long double& value) {
    // The integer formats show the value held to the signed 32-bit range.
    int64_t number = std::numeric_limits<int32_t>::max();
    if (value <= number) {
        number = value >= std::numeric_limits<int32_t>::min() ? RoundHalfEven(value)
                                                              : std::numeric_limits<int32_t>::min();
    }
    if (format.NoNeg || format.ValueMode == vmHex) {
        if (value < 0) value = 0;
        if (number < 0) number = 0;
    }
    if (format.NoZero) {
        if (value == 0) value = 1.0L;
        if (number == 0) number = 1;
    }

    const int width = std::min(format.ValueWidthTotal, kMaxWidth);
    switch (format.ValueMode) {
        case vmReal:
            return RealText(format, value);
        case vmHex:
            return HexCaption(format.HexMode, static_cast<uint32_t>(number), width);
        default:
            return IntegerText(format.IntMode, static_cast<int32_t>(number), width);
    }
}

std::string FixedText(long double value, int decimals, int width) {
    decimals = std::clamp(decimals, 0, kMaxWidth);
    std::string text;
    if (std::isnan(value)) {
        text.append("NAN");
    } else if (std::isinf(value)) {
        text.append(value < 0 ? "-INF" : "INF");
    } else {
        // Below 2^(-4 (decimals + 3)), well under 10^-(decimals + 2), a value
        // shows as zero however its digits round: its expansion, thousands of
        // digits for the smallest values, is not needed.
        Decimal decimal;
        if (value != 0 && std::ilogb(value) >= -4 * (decimals + 3))
            decimal = ExactDecimal(std::fabs(value));
        KeepDigits(decimal, kSignificantDigits);
        KeepDigits(decimal, decimal.point + decimals);
        const auto digitAt = [&](int i) {
            return i >= 0 && i < static_cast<int>(decimal.digits.size()) ? decimal.digits[i] : '0';
        };
        // A value that rounds to zero shows no sign.
        if (value < 0 && !decimal.digits.empty()) text.push_back('-');
        if (decimal.point <= 0) text += '0';
        for (int i = 0; i < decimal.point; ++i) text += digitAt(i);
        if (decimals > 0) text += '.';
        for (int i = 0; i < decimals; ++i) text += digitAt(decimal.point + i);
    }
    return RightAlign(text, std::min(width, kMaxWidth));
}

std::string ScientificText(long double value, int width) {
    const int total = std::clamp(width, 10, kMaxWidth);
    if (!std::isfinite(value)) return FixedText(value, 0, total);
    const long double magnitude = std::fabs(value);
    int exponent = 0;
    if (magnitude != 0) {
        // The search starts a little short of the exponent the binary one
        // suggests, on the side it would come from starting at 0, so that the
        // extremes take a few steps instead of thousands and end alike.
        int binary = 0;
        std::frexp(magnitude, &binary);
        const int estimate = static_cast<int>(std::floor((binary - 1) * kLog10Of2));
        exponent = magnitude < 0.999L ? std::min(0, estimate + 2) : std::max(0, estimate - 2);
        while (ScaleDown(magnitude, exponent) < 0.999L) --exponent;
        while (ScaleDown(magnitude, exponent) >= 10) ++exponent;
    }
    std::string exponentText = ZeroPadNumber(exponent, 4);
    if (exponentText[0] == '0') exponentText[0] = '+';
    return FixedText(ScaleDown(value, exponent), total - 8, total - 5) + "E" + exponentText;
}

std::string EngineeringText(long double value, int decimals) {
    if (!InEngineeringRange(value)) return ScientificText(value, 10);
    static const char kPrefixes[] = "yzafpnum KMGTPEZY";  // 10^-24 .. 10^24
    const long double magnitude = std::fabs(value);
    int exponent = 0;
    if (magnitude > 0) {
        while (exponent < 24 && ScaleDown(magnitude, exponent) >= 999.999999L) exponent += 3;
        while (exponent >= -23 && ScaleDown(magnitude, exponent) < 0.999999999L) exponent -= 3;
    }
    decimals = std::min(decimals, kMaxWidth);
    return FixedText(ScaleDown(value, exponent), decimals, decimals + 5) +
           kPrefixes[(exponent + 24) / 3];
}

std::string SpiceText(long double value) {
    static const char* const kLarge[] = {"K", "MEG", "G", "T"};
    static const char* const kSmall[] = {"M", "U", "N", "P", "F", "A"};
    std::string suffix = " ";
    if (value != 0 && std::isfinite(value)) {
        size_t step = 0;
        if (std::fabs(value) >= 999) {
            value /= 1000;
            while (std::fabs(value) >= 999 && step + 1 < std::size(kLarge)) {
                value /= 1000;
                ++step;
            }
            suffix = kLarge[step];
        } else if (std::fabs(value) < 0.999L) {
            value *= 1000;
            while (std::fabs(value) <= 0.999L && step + 1 < std::size(kSmall)) {
                value *= 1000;
                ++step;
            }
            suffix = kSmall[step];
        }
    }
    return FixedText(value, 3, 8) + suffix;
}

std::string ComponentText(long double value, int precision) {
    // In range the engineering text has fixed places: the number in columns
    // 1-9 with the point in column 5, the prefix in column 10.
    const std::string text = EngineeringText(value, 4);
    if (precision == 0 || !InEngineeringRange(value) || text.size() != 10) {
        return StripBlanks(text);
    }
    const bool oneDigit = text[1] == ' ' && text[2] == ' ';
    const bool twoDigits = text[1] == ' ' && !oneDigit;
    std::string kept;
    if (oneDigit) {
        kept = text.substr(3, precision == 1 ? 4 : 3);  // 4.70 / 4.7
    } else if (twoDigits) {
        kept = text.substr(2, precision == 1 ? 4 : 2);  // 47.0 / 47
    } else {
        // Column 1 as well: it is blank unless rounding reached 1000 or a
        // minus sign stands there, and neither may be lost.
        kept = text.substr(0, 4);
    }
    return StripBlanks(kept + text.back());
}

std::string ScaleText(long double value) {
    const long double magnitude = std::fabs(value);
    const int decimals = magnitude < 9.99L ? 3 : magnitude < 99.9L ? 2 : magnitude < 999 ? 1 : 0;
    return FixedText(value, decimals, 6);
}

}  // namespace mivox

#include "util/TextUtil.h"

#include <cmath>
#include <cstdint>

namespace mivox {

std::string PadNumber(int32_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), ' ');
    return digits;
}

std::string ZeroPadNumber(int32_t value, int width) {
    std::string text = PadNumber(value, width);
    const size_t limit = std::min(text.size(), static_cast<size_t>(std::max(width, 0)));
    for (size_t i = 0; i < limit; ++i) {
        if (text[i] == '-') {
            text[i] = ' ';
            text[0] = '-';
        }
    }
    for (size_t i = 0; i < limit; ++i) {
        if (text[i] == ' ') text[i] = '0';
    }
    return text;
}

std::string HexText(uint32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int k = digits - 1; k >= 0; --k) {
        // 16^k beyond 32 bits divides every value to 0.
        const uint64_t power = k >= 8 ? 0 : uint64_t{1} << (4 * k);
        const uint64_t digit = power == 0 ? 0 : value / power;
        if (power != 0) value = static_cast<uint32_t>(value - digit * power);
        text += kDigits[digit & 0xF];
    }
    return text;
}

std::string UpperText(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return upper;
}

std::string StripBlanks(const std::string& text) {
    std::string stripped;
    for (char c : text) {
        if (c != ' ' && c != '\0') stripped += c;
    }
    return stripped;
}

std::string TrimEnd(std::string text, std::string_view ending) {
    text.erase(text.find_last_not_of(ending) + 1);
    return text;
}

std::string RemoveText(const std::string& text, const std::string& part) {
    if (text.empty() || part.empty()) return text;
    const size_t at = UpperText(text).find(UpperText(part));
    if (at == std::string::npos) return text;
    std::string result = text;
    result.erase(at, part.size());
    return result;
}

long double TextToReal(const std::string& text) {
    // A long double holds 19 decimal digits exactly; digits beyond them only
    // scale the number, so that a long run of digits cannot overflow it.
    constexpr int kExactDigits = 19;
    const std::string s = StripBlanks(text);
    size_t i = 0;
    bool negative = false;
    long double whole = 0;
    int significant = 0;
    int64_t fractionDigits = 0;
    int64_t droppedWhole = 0;  // digits left out before the point
    int64_t dropped = 0;       // digits left out anywhere
    auto isDigit = [&](size_t at) { return at < s.size() && s[at] >= '0' && s[at] <= '9'; };
    auto gather = [&](bool fraction) {
        for (; isDigit(i); ++i) {
            if (significant == kExactDigits) {
                ++dropped;
                if (!fraction) ++droppedWhole;
                continue;
            }
            whole = whole * 10 + (s[i] - '0');
            if (whole != 0) ++significant;
            if (fraction) ++fractionDigits;
        }
    };

    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    gather(false);
    if (i < s.size() && s[i] == '.') {
        ++i;
        gather(true);
    }
    int64_t exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
        while (isDigit(i)) {
            if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
            ++i;
        }
        if (negativeExponent) exponent = -exponent;
    }
    // A negative power divides by the positive one, which is exact as far as
    // 10^27; beyond the range it divides in two steps, so that a number such
    // as 1234e-4935 keeps its digits.
    const auto scaled = [&](int64_t power) {
        if (power >= 0) return whole * std::pow(10.0L, power);
        constexpr int64_t kStep = 4000;
        long double value = whole;
        for (; power < -kStep; power += kStep) value /= std::pow(10.0L, kStep);
        return value / std::pow(10.0L, -power);
    };
    // Reading stopped early: the digits gathered so far, as a whole number.
    if (i < s.size()) return scaled(dropped);
    const long double value = scaled(droppedWhole + exponent - fractionDigits);
    return negative ? -value : value;
}

}  // namespace mivox

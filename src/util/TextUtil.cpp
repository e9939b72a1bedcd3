#include "util/TextUtil.h"

#include <cmath>

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

std::string RemoveText(const std::string& text, const std::string& part) {
    if (text.empty() || part.empty()) return text;
    const size_t at = UpperText(text).find(UpperText(part));
    if (at == std::string::npos) return text;
    std::string result = text;
    result.erase(at, part.size());
    return result;
}

long double TextToReal(const std::string& text) {
    const std::string s = StripBlanks(text);
    size_t i = 0;
    bool negative = false;
    long double whole = 0;
    int fractionDigits = 0;
    auto isDigit = [&](size_t at) { return at < s.size() && s[at] >= '0' && s[at] <= '9'; };
    auto gather = [&](bool fraction) {
        while (isDigit(i)) {
            whole = whole * 10 + (s[i] - '0');
            if (fraction) ++fractionDigits;
            ++i;
        }
    };

    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    gather(false);
    if (i < s.size() && s[i] == '.') {
        ++i;
        gather(true);
    }
    int exponent = 0;
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
    // Reading stopped early: the digits gathered so far, as a whole number.
    if (i < s.size()) return whole;
    const long double value = whole * std::pow(10.0L, exponent - fractionDigits);
    return negative ? -value : value;
}

}  // namespace mivox

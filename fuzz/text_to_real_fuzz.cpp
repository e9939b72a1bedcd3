// TextToReal reads version texts from the medium's programs. Any text must
// read without a fault, and a well-formed decimal number must read as the C
// library reads it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "util/TextUtil.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// [+-] digits [. digits] [(e|E) [+-] digits], with at least one digit in the
// mantissa and in an exponent that is there: the shape both readers agree on.
bool WellFormed(const std::string& s) {
    size_t i = 0;
    const auto digits = [&] {
        const size_t start = i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        return i - start;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == s.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const long double value = mivox::TextToReal(text);

    const std::string number = mivox::StripBlanks(text);
    if (!WellFormed(number)) return 0;
    const long double expected = std::strtold(number.c_str(), nullptr);
    // Below the normal range precision runs out by design.
    if (std::fabs(expected) < std::numeric_limits<long double>::min()) return 0;
    const bool agree = std::isinf(expected)
                           ? value == expected
                           : std::fabs(value - expected) <= std::fabs(expected) * 1e-16L;
    if (!agree) {
        std::fprintf(stderr, "TextToReal(\"%s\") = %Lg, expected %Lg\n", number.c_str(), value,
                     expected);
        std::abort();
    }
    return 0;
}

// Fixed-shape texts: padded and hexadecimal numbers, ASCII upper case, and the
// lenient number reading that version texts rely on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mivox {

// Decimal form of value right-aligned with blanks to width characters; a
// longer number is not cut.
std::string PadNumber(int32_t value, int width);

// As PadNumber, filled with zeros; a minus sign moves to the first position.
std::string ZeroPadNumber(int32_t value, int width);

// Upper-case hexadecimal of exactly digits digits (the high digits beyond
// that are dropped).
std::string HexText(uint32_t value, int digits);

// a-z become A-Z; every other byte is kept, whatever the locale.
std::string UpperText(const std::string& text);

// The text without blanks and NUL characters.
std::string StripBlanks(const std::string& text);

// The text without any of the characters of ending at its end, such as the
// line end and full stop of a system message.
std::string TrimEnd(std::string text, std::string_view ending);

// The text with the first case-insensitive occurrence of part removed.
std::string RemoveText(const std::string& text, const std::string& part);

// Reads a decimal number with "." as point. When the text does not read as
// a whole number, the digits gathered up to the first misfit are taken as
// one whole number: "4.10.0.3" gives 410, so version texts compare by their
// digits.
long double TextToReal(const std::string& text);

}  // namespace mivox

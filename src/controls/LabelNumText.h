// How a numeric label turns its number into a caption: integers plain,
// fixed-width, grouped or zero-filled; hexadecimal; and reals in fixed,
// scientific, engineering, circuit-simulator, component-value and scaled form.
// Every text uses "." as decimal point and "," as thousands separator,
// whatever the locale.
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

enum TValueMode { vmInt, vmReal, vmHex };
enum TIntMode { imAutoInt, imFixedInt, imFixedIntComma, imFixedIntZero };
enum THexMode { hmAuto, hmFixed };
enum TRealMode { rmFixedReal, rmEngrReal, rmSpiceReal, rmCompReal, rmScaleReal, rmSciReal };

struct LabelNumFormat {
    TValueMode ValueMode = vmInt;
    TIntMode IntMode = imAutoInt;
    THexMode HexMode = hmAuto;
    TRealMode RealMode = rmEngrReal;
    int32_t ValueWidthTotal = 8;    // fixed formats: width; hmFixed: digit count
    int32_t ValueWidthDecimal = 4;  // fixed and engineering formats: decimals
    int32_t CompPrecision = 1;
    bool NoZero = false;  // a zero value is replaced by 1
    bool NoNeg = false;   // a negative value is replaced by 0
};

// The caption of value in format. NoNeg, NoZero and the hexadecimal mode
// replace the value itself, so the caller's stored value may change.
std::string LabelNumText(const LabelNumFormat& format, long double& value);

// value rounded to the nearest whole number, halves to even. Values beyond
// the 64-bit range, and NaN, give the nearest end of the range (NaN the top).
int64_t RoundHalfEven(long double value);

// value rounded to decimals decimals, without exponent, right-aligned with
// blanks to width characters and never cut. NaN and infinities read "NAN",
// "INF" and "-INF".
std::string FixedText(long double value, int decimals, int width);

// Mantissa, "E" and a signed three-digit exponent in at least 10 characters:
// 12345 gives " 1.23E+004". A wider width gives the mantissa more decimals.
std::string ScientificText(long double value, int width);

// The value scaled into 1..999 by a power of 1000, with decimals decimals,
// followed by its metric prefix letter ("K", "M", "m", "u", ...) or a blank.
// Magnitudes beyond 1e-27..1e27 give the scientific text.
std::string EngineeringText(long double value, int decimals);

// Circuit-simulator form: three decimals and the suffix "K", "MEG", "G", "T"
// or "M" (milli), "U", "N", "P", "F", "A": 1500000 gives "   1.500MEG".
std::string SpiceText(long double value);

// Component-value form, as printed on resistors and capacitors: 4700 gives
// "4.70K" at precision 1, "4.7K" at other precisions, "4.7000K" at 0.
std::string ComponentText(long double value, int precision);

// Width 6 with as many decimals as the magnitude leaves room for.
std::string ScaleText(long double value);

}  // namespace mivox

// The numeric label's caption for any format and any value, including the
// extremes: NaN, infinities, the largest and smallest long doubles, and
// widths, decimals and precisions far out of range.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "controls/LabelNumText.h"
#include "util/TextUtil.h"

namespace {

void Fail(const char* what, const mivox::LabelNumFormat& f, long double value,
          const std::string& caption) {
    std::fprintf(stderr,
                 "%s: modes %d/%d/%d/%d, width %d, decimals %d, precision %d, no zero %d, "
                 "no negative %d, value %Lg, caption \"%s\"\n",
                 what, f.ValueMode, f.IntMode, f.HexMode, f.RealMode, f.ValueWidthTotal,
                 f.ValueWidthDecimal, f.CompPrecision, f.NoZero, f.NoNeg, value, caption.c_str());
    std::abort();
}

long double ConsumeValue(FuzzedDataProvider& input) {
    // Raw bytes reach every encoding, the x87's invalid ones included.
    long double value = 0;
    const auto bytes = input.ConsumeBytes<uint8_t>(sizeof value);
    if (!bytes.empty()) std::memcpy(&value, bytes.data(), bytes.size());
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    mivox::LabelNumFormat format;
    format.ValueMode = static_cast<mivox::TValueMode>(input.ConsumeIntegralInRange(0, 2));
    format.IntMode = static_cast<mivox::TIntMode>(input.ConsumeIntegralInRange(0, 3));
    format.HexMode = static_cast<mivox::THexMode>(input.ConsumeIntegralInRange(0, 1));
    format.RealMode = static_cast<mivox::TRealMode>(input.ConsumeIntegralInRange(0, 5));
    format.ValueWidthTotal = input.ConsumeIntegral<int32_t>();
    format.ValueWidthDecimal = input.ConsumeIntegral<int32_t>();
    format.CompPrecision = input.ConsumeIntegral<int32_t>();
    format.NoZero = input.ConsumeBool();
    format.NoNeg = input.ConsumeBool();
    const long double original = ConsumeValue(input);

    long double value = original;
    const std::string caption = mivox::LabelNumText(format, value);

    // The longest caption is a fixed text of the largest long double (4933
    // digits) with the most decimals the label allows; only a fixed
    // hexadecimal of no digits is empty.
    const bool noDigits = format.ValueMode == mivox::vmHex && format.HexMode == mivox::hmFixed &&
                          format.ValueWidthTotal <= 0;
    if (caption.empty() != noDigits || caption.size() > 5300) {
        Fail("caption length", format, original, caption);
    }
    for (char c : caption) {
        if (c < ' ' || c > '~') Fail("unprintable character", format, original, caption);
    }
    if ((format.NoNeg || format.ValueMode == mivox::vmHex) && value < 0) {
        Fail("negative value kept", format, original, caption);
    }
    if (format.NoZero && value == 0) Fail("zero value kept", format, original, caption);

    // A fixed caption reads back as the value it shows, to its last decimal.
    const int decimals = format.ValueWidthDecimal;
    if (format.ValueMode == mivox::vmReal && format.RealMode == mivox::rmFixedReal &&
        std::isfinite(value) && decimals >= 0 && decimals <= 18 && std::fabs(value) < 1e18L) {
        const long double shown = mivox::TextToReal(caption);
        const long double tolerance =
            0.5L * std::pow(10.0L, -decimals) * (1 + 1e-12L) + std::fabs(value) * 1e-16L;
        if (!(std::fabs(shown - value) <= tolerance))
            Fail("fixed text off", format, value, caption);
    }
    return 0;
}

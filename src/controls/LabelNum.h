// TLabelNum: a sunken static text that holds one number and shows it in one
// of the formats of LabelNumText. The caption is rendered again whenever the
// number or a format property changes, and before every repaint.
#pragma once

#include <cstdint>

#include "controls/LabelNumText.h"
#include "platform/ControlPeer.h"

namespace mivox {

class TLabelNum {
public:
    // Shows "0000" until the first rendering.
    explicit TLabelNum(ControlPeer& peer);

    TValueMode ValueMode() const { return format_.ValueMode; }
    TIntMode IntMode() const { return format_.IntMode; }
    THexMode HexMode() const { return format_.HexMode; }
    TRealMode RealMode() const { return format_.RealMode; }
    int32_t ValueWidthTotal() const { return format_.ValueWidthTotal; }
    int32_t ValueWidthDecimal() const { return format_.ValueWidthDecimal; }
    int32_t CompPrecision() const { return format_.CompPrecision; }
    bool NoZero() const { return format_.NoZero; }
    bool NoNeg() const { return format_.NoNeg; }

    // Each setter renders only when the property actually changes.
    void SetValueMode(TValueMode mode);
    void SetIntMode(TIntMode mode);
    void SetHexMode(THexMode mode);
    void SetRealMode(TRealMode mode);
    void SetValueWidthTotal(int32_t width);
    void SetValueWidthDecimal(int32_t decimals);
    void SetCompPrecision(int32_t precision);
    void SetNoZero(bool noZero);
    void SetNoNeg(bool noNeg);

    // The stored number rounded to a whole number, halves to even.
    int64_t GetIntValue() const;
    void SetIntValue(int64_t value);
    long double Value() const { return value_; }
    void SetValue(long double value);

    // Renders the caption, then asks the backend for a repaint.
    void Invalidate();

private:
    template <typename T>
    void ChangeFormat(T LabelNumFormat::*property, T value);
    void UpdateText();

    ControlPeer& peer_;
    LabelNumFormat format_;
    long double value_ = 0;
};

}  // namespace mivox

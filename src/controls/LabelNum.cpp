#include "controls/LabelNum.h"

#include <cmath>

namespace mivox {

TLabelNum::TLabelNum(ControlPeer& peer) : peer_(peer) {
    peer_.SetText("0000");
}

template <typename T>
void TLabelNum::ChangeFormat(T LabelNumFormat::*property, T value) {
    if (format_.*property == value) return;
    format_.*property = value;
    UpdateText();
}

void TLabelNum::SetValueMode(TValueMode mode) {
    ChangeFormat(&LabelNumFormat::ValueMode, mode);
}
void TLabelNum::SetIntMode(TIntMode mode) {
    ChangeFormat(&LabelNumFormat::IntMode, mode);
}
void TLabelNum::SetHexMode(THexMode mode) {
    ChangeFormat(&LabelNumFormat::HexMode, mode);
}
void TLabelNum::SetRealMode(TRealMode mode) {
    ChangeFormat(&LabelNumFormat::RealMode, mode);
}

void TLabelNum::SetValueWidthTotal(int32_t width) {
    ChangeFormat(&LabelNumFormat::ValueWidthTotal, width);
}

void TLabelNum::SetValueWidthDecimal(int32_t decimals) {
    ChangeFormat(&LabelNumFormat::ValueWidthDecimal, decimals);
}

void TLabelNum::SetCompPrecision(int32_t precision) {
    ChangeFormat(&LabelNumFormat::CompPrecision, precision);
}

void TLabelNum::SetNoZero(bool noZero) {
    ChangeFormat(&LabelNumFormat::NoZero, noZero);
}
void TLabelNum::SetNoNeg(bool noNeg) {
    ChangeFormat(&LabelNumFormat::NoNeg, noNeg);
}

int64_t TLabelNum::GetIntValue() const {
    return RoundHalfEven(value_);
}

void TLabelNum::SetIntValue(int64_t value) {
    SetValue(static_cast<long double>(value));
}

void TLabelNum::SetValue(long double value) {
    // NaN never equals itself, but showing it again changes nothing.
    if (value == value_ || (std::isnan(value) && std::isnan(value_))) return;
    value_ = value;
    UpdateText();
}

void TLabelNum::Invalidate() {
    UpdateText();
    peer_.Invalidate();
}

void TLabelNum::UpdateText() {
    peer_.SetText(LabelNumText(format_, value_));
}

}  // namespace mivox

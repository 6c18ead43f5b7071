#include "framework/DpiScale.h"

#include <algorithm>

namespace framework {

namespace {

// value * numerator / denominator rounded half away from zero, as MulDiv does.
int MulDivRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

int ClampDpi(int dpi) {
    return std::clamp(dpi, kMinDpi, kMaxDpi);
}

int ScaleToDpi(int pixels, int dpi) {
    return MulDivRounded(pixels, ClampDpi(dpi), kBaseDpi);
}

int FontHeightForDpi(int points, int dpi) {
    return -MulDivRounded(points, ClampDpi(dpi), 72);
}

} // namespace framework

// Fast evaluation of the cosine blend weight for arbitrary fractions (Displace, Twirl) that
// always yields the float the literal cosine gives: a checked polynomial and a memo.
#include <cmath>
#include <cstring>
#include <numbers>

#include "texgen/blend_weights.h"

namespace {

// sin(x) for |x| <= pi/4 by its Taylor series to x^15 (truncation error below 5e-17).
double SinQuarterTurn(double x) {
    const double x2 = x * x;
    double sum = 1.0 / 1307674368000.0; // 1/15!
    sum = sum * -x2 + 1.0 / 6227020800.0;
    sum = sum * -x2 + 1.0 / 39916800.0;
    sum = sum * -x2 + 1.0 / 362880.0;
    sum = sum * -x2 + 1.0 / 5040.0;
    sum = sum * -x2 + 1.0 / 120.0;
    sum = sum * -x2 + 1.0 / 6.0;
    sum = sum * -x2 + 1.0;
    return x * sum;
}

} // namespace

float QuickCosineWeight(float fraction) {
    if (fraction == 0.0f) {
        return 0.0f; // cos(0) is exactly 1 in every library
    }
    // (1 - cos(pi f)) / 2 = sin^2(pi f / 2), and 1 - sin^2(pi (1 - f) / 2) for f above 1/2;
    // both within about 1e-15 of the true value for |f| < 1.
    const double g = std::fabs(static_cast<double>(fraction));
    if (g < 1.0) {
        const double halfPi = std::numbers::pi / 2.0;
        const double s = SinQuarterTurn(halfPi * (g <= 0.5 ? g : 1.0 - g));
        const double u = g <= 0.5 ? s * s : 1.0 - s * s;
        // The library's cosine lies within an ulp or two of the truth as well. If everything
        // within a wide margin of u rounds to the same float, so does the literal evaluation.
        constexpr double Margin = 1e-14;
        const float low = static_cast<float>(u - Margin);
        const float high = static_cast<float>(u + Margin);
        if (low == high) {
            return low;
        }
    }
    return CosineWeight(fraction);
}

void ClearCosineWeightMemo(CosineWeightMemo& memo) {
    for (uint32_t& key : memo.keys) {
        key = CosineWeightMemo::Empty;
    }
}

float MemoCosineWeight(CosineWeightMemo& memo, float fraction) {
    uint32_t bits;
    std::memcpy(&bits, &fraction, sizeof bits);
    const uint32_t slot = (bits * 2654435761u) >> (32 - CosineWeightMemo::Bits);
    if (memo.keys[slot] != bits) {
        memo.keys[slot] = bits;
        memo.values[slot] = QuickCosineWeight(fraction);
    }
    return memo.values[slot];
}

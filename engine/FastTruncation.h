// Float-to-integer truncations for the fast loops: direct or range-checked
// conversions, and an all-integer form of trunc(u + t) for a constant t.
#pragma once

#include "Arithmetic.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace tintwell::fast {

// Truncation toward zero to 32 bits, -2^31 outside the range (as toInt32).
// Range-checked only when a pass may meet values outside the range: the
// checks keep loops from vectorising, so passes with moderate values
// (Checked = false) convert directly, every result being known to fit.
template <bool Checked>
inline std::int32_t truncFloat(float f)
{
    if constexpr (Checked)
        return arith::toInt32(f);
    else
        return static_cast<std::int32_t>(f);
}
template <bool Checked>
inline std::int32_t truncDouble(double d)
{
    if constexpr (Checked)
        return arith::toInt32(d);
    else
        return static_cast<std::int32_t>(d);
}

// trunc(u + t) for integers |u| <= 2^11 and one double t, in integers only:
// u + (u >= threshold ? above : below).
struct IntegerTruncation {
    std::int32_t threshold = 0;
    std::int32_t below = 0;
    std::int32_t above = 0;

    std::int32_t operator()(std::int32_t u) const { return u + (u >= threshold ? above : below); }
};

// The integer form of trunc(u + t), when it is exact also for the double
// arithmetic that forms u + t: either t is a whole number (every sum exact),
// or its fraction keeps 2^-20 away from 0 and 1 while |u + t| < 2^31, so that
// the at most two roundings of the sums (each under 2^-23 there) cannot carry
// the result across a whole number. Empty otherwise.
inline std::optional<IntegerTruncation> integerTruncation(double t)
{
    constexpr double limit = 1 << 29;
    constexpr double margin = 1.0 / (1 << 20);
    if (!(t > -limit && t < limit))
        return std::nullopt;
    const double whole = std::floor(t);
    const double fraction = t - whole; // exact for |t| < 2^52
    const auto w = static_cast<std::int32_t>(whole);
    if (fraction == 0)
        return IntegerTruncation{0, w, w};
    if (fraction < margin || fraction > 1 - margin)
        return std::nullopt;
    // u + t >= 0 exactly when u >= -floor(t); then the truncation rounds down,
    // below zero it rounds up.
    return IntegerTruncation{-w, w + 1, w};
}

} // namespace tintwell::fast

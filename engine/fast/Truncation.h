// Float-to-integer truncations for the fast loops: direct or range-checked
// conversions, an all-integer form of trunc(u + t) for a constant t, and that
// form as two constants of a 16-bit vector lane.
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

// One byte lane of a vector loop that forms trunc(S + t) for an integer sum S
// of bytes with coefficients ±1 or ±2, and stores the low byte of
// (trunc(S + t) ^ m) + add (m all ones under the negative, else 0).
//
// The lane does not form S itself: it takes raw = σ·S + offset, where σ is -1
// under the negative and +1 otherwise, and offset makes raw non-negative
// (255·|a| for every coefficient a with σ·a < 0, so that each such term is
// |a|·(255 - byte), a byte flipped by an xor). raw lies in [0, rawMax] with
// rawMax <= 1020, so it and the threshold fit in 16-bit lanes. The stored byte
// is then the low byte of raw + base, minus one where raw > threshold: the
// truncation's step, the negative, the offset and `add` all become these two
// per-lane constants.
struct LaneTruncation {
    std::uint16_t base = 0;
    std::int16_t threshold = 0;

    std::uint8_t operator()(std::int32_t raw) const
    {
        return static_cast<std::uint8_t>(static_cast<std::uint32_t>(raw) + base - (raw > threshold ? 1u : 0u));
    }
};

// The lane constants for a truncation whose step (above - below) is 0 or -1,
// as integerTruncation gives them; empty for any other step.
inline std::optional<LaneTruncation> laneTruncation(IntegerTruncation t, bool negative, std::int32_t offset,
                                                    std::int32_t rawMax, std::uint32_t add)
{
    const std::int64_t step = static_cast<std::int64_t>(t.above) - t.below;
    if (step != 0 && step != -1)
        return std::nullopt;
    // (c ^ m) + add is sigma·c + a with a = add - 1 under the negative.
    const std::int64_t a = static_cast<std::int64_t>(add) - (negative ? 1 : 0);
    const std::int64_t below = t.below;
    std::int64_t base = 0;
    std::int64_t threshold = rawMax; // raw never exceeds it: no step
    if (!negative) {
        // S + below - [S >= thr] with S = raw - offset.
        base = a - offset + below;
        if (step != 0)
            threshold = static_cast<std::int64_t>(t.threshold) + offset - 1;
    } else {
        // -(S + below - [S >= thr]) with S = offset - raw, and
        // [S >= thr] = [raw <= offset - thr] = 1 - [raw > offset - thr].
        base = a - offset - below + (step != 0 ? 1 : 0);
        if (step != 0)
            threshold = offset - static_cast<std::int64_t>(t.threshold);
    }
    threshold = threshold < -1 ? -1 : (threshold > rawMax ? rawMax : threshold);
    return LaneTruncation{static_cast<std::uint16_t>(static_cast<std::uint64_t>(base) & 0xFFFFu),
                          static_cast<std::int16_t>(threshold)};
}

} // namespace tintwell::fast

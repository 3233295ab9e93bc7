// Exact integer quotients that vectorise: multiply-and-shift for a divisor fixed
// per pass or per row, and a float estimate with a one-step fix for per-column divisors.
#pragma once

#include <cstdint>

namespace tintwell::fast {

// Unsigned division by a constant d >= 1 of any numerator n < 2^31:
// n / d == (n * multiplier) >> shift, with a 32-bit multiplier. With
// l = ceil(log2 d), shift = 31 + l and multiplier = ceil(2^shift / d), which is
// below 2^32; the rounding error stays under 1/d for 31-bit numerators, so the
// quotient is exact (Granlund and Montgomery).
struct ConstantDivisor {
    std::uint32_t multiplier = 0x80000000u;
    std::uint32_t shift = 31;

    constexpr ConstantDivisor() = default;
    constexpr explicit ConstantDivisor(std::uint32_t d)
    {
        std::uint32_t l = 0;
        while (l < 32 && (std::uint64_t{1} << l) < d)
            ++l;
        shift = 31 + l;
        const std::uint64_t power = std::uint64_t{1} << shift;
        multiplier = static_cast<std::uint32_t>((power + d - 1) / d);
    }

    // n must be below 2^31.
    constexpr std::uint32_t quotient(std::uint32_t n) const
    {
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(n) * multiplier) >> shift);
    }

    // A divisor whose quotient is 0 for every numerator: stands for a zero
    // divisor (a quotient by zero counts as 0) and for divisors of 2^31 or more.
    static constexpr ConstantDivisor givingZero()
    {
        ConstantDivisor z;
        z.multiplier = 0;
        return z;
    }
};

// A signed 64-bit divisor of numerators 0 <= n < 2^31: the quotient of |d| and
// a mask that negates it (x ^ mask) - mask when d is negative. Truncating
// toward zero, n / d == -(n / |d|) for d < 0.
struct SignedDivisor {
    ConstantDivisor magnitude;
    std::uint32_t negateMask = 0;

    constexpr explicit SignedDivisor(std::int64_t d)
    {
        negateMask = d < 0 ? 0xFFFFFFFFu : 0u;
        const std::uint64_t m = d < 0 ? 0 - static_cast<std::uint64_t>(d) : static_cast<std::uint64_t>(d);
        magnitude = (m == 0 || m >= (std::uint64_t{1} << 31)) ? ConstantDivisor::givingZero()
                                                             : ConstantDivisor(static_cast<std::uint32_t>(m));
    }
    // Low 32 bits of n / d, n below 2^31.
    constexpr std::uint32_t quotient(std::uint32_t n) const
    {
        return (magnitude.quotient(n) ^ negateMask) - negateMask;
    }
};

// Quotient and remainder of n / d for 0 <= n < 2^21 and 1 <= d < 2^30, given
// inverse == 1.0f / d. The float estimate is within one of the true quotient
// (three roundings of 2^-24 each on a quotient below 2^21), so one correction
// either way makes it exact.
struct QuotientRemainder {
    std::int32_t quotient;
    std::int32_t remainder;
};

inline QuotientRemainder smallQuotient(std::int32_t n, std::int32_t d, float inverse)
{
    std::int32_t q = static_cast<std::int32_t>(static_cast<float>(n) * inverse);
    std::int32_t r = n - q * d;
    const std::int32_t up = r >= d ? 1 : 0;
    const std::int32_t down = r < 0 ? 1 : 0;
    q = q + up - down;
    r = r - up * d + down * d;
    return {q, r};
}

// Largest numerator smallQuotient accepts, plus one.
inline constexpr std::int32_t smallQuotientLimit = 1 << 21;

// Division of small numbers, 0 <= n < 2^11 (byte sums and differences), by a
// divisor d >= 1 with a 32-bit multiply and shift: with l = ceil(log2 d),
// shift = 20 + l and multiplier = ceil(2^shift / d) <= 2^21, so n·multiplier
// stays below 2^32, and the error n·(multiplier·d − 2^shift) / 2^shift stays
// below 1, which keeps the quotient exact. Divisors of 2^11 or more give 0.
struct SmallDivisor {
    std::uint32_t multiplier = 0;
    std::uint32_t shift = 20;

    constexpr explicit SmallDivisor(std::uint64_t d)
    {
        if (d == 0 || d >= smallDivisorLimit)
            return;
        std::uint32_t l = 0;
        while ((std::uint64_t{1} << l) < d)
            ++l;
        shift = 20 + l;
        multiplier = static_cast<std::uint32_t>(((std::uint64_t{1} << shift) + d - 1) / d);
    }
    constexpr std::uint32_t quotient(std::uint32_t n) const { return (n * multiplier) >> shift; }

    static constexpr std::uint32_t smallDivisorLimit = 1u << 11;
};

// n / D for 0 <= n < 2^11 and a divisor known at compile time.
template <std::uint32_t D>
constexpr std::uint32_t divideSmall(std::uint32_t n)
{
    constexpr SmallDivisor divisor(D);
    return divisor.quotient(n);
}

} // namespace tintwell::fast

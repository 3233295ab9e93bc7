// Byte and integer arithmetic shared by every formula: wrap-around 32- and
// 64-bit steps, guarded division, and float-to-integer truncation, all free of
// undefined behaviour for any input.
#pragma once

#include <cstdint>
#include <limits>

namespace tintwell::arith {

using i32 = std::int32_t;
using i64 = std::int64_t;
using u32 = std::uint32_t;
using u64 = std::uint64_t;

// Low 8 bits of a result, as stored into a byte.
constexpr std::uint8_t byte(u32 v) { return static_cast<std::uint8_t>(v); }
constexpr std::uint8_t byte(u64 v) { return static_cast<std::uint8_t>(v); }
constexpr std::uint8_t byte(i32 v) { return static_cast<std::uint8_t>(static_cast<u32>(v)); }
constexpr std::uint8_t byte(i64 v) { return static_cast<std::uint8_t>(static_cast<u64>(v)); }

// Signed 32-bit steps with two's-complement wrap-around.
constexpr i32 add32(i32 a, i32 b) { return static_cast<i32>(static_cast<u32>(a) + static_cast<u32>(b)); }
constexpr i32 sub32(i32 a, i32 b) { return static_cast<i32>(static_cast<u32>(a) - static_cast<u32>(b)); }
constexpr i32 mul32(i32 a, i32 b) { return static_cast<i32>(static_cast<u32>(a) * static_cast<u32>(b)); }

// Signed 64-bit steps with two's-complement wrap-around.
constexpr i64 add64(i64 a, i64 b) { return static_cast<i64>(static_cast<u64>(a) + static_cast<u64>(b)); }
constexpr i64 sub64(i64 a, i64 b) { return static_cast<i64>(static_cast<u64>(a) - static_cast<u64>(b)); }
constexpr i64 mul64(i64 a, i64 b) { return static_cast<i64>(static_cast<u64>(a) * static_cast<u64>(b)); }

// The low 32 bits of a 64-bit value, as a signed 32-bit number.
constexpr i32 low32(i64 v) { return static_cast<i32>(static_cast<u32>(static_cast<u64>(v))); }

// Division truncating toward zero. A zero divisor gives 0, and the one
// overflowing quotient (minimum / -1) wraps to the minimum.
constexpr i32 div32(i32 a, i32 b)
{
    if (b == 0)
        return 0;
    if (b == -1)
        return sub32(0, a);
    return a / b;
}
constexpr i64 div64(i64 a, i64 b)
{
    if (b == 0)
        return 0;
    if (b == -1)
        return sub64(0, a);
    return a / b;
}

// Remainder with the sign of the dividend; 0 for the divisors 0 and -1.
constexpr i32 rem32(i32 a, i32 b) { return (b == 0 || b == -1) ? 0 : a % b; }
constexpr i64 rem64(i64 a, i64 b) { return (b == 0 || b == -1) ? 0 : a % b; }

// Truncation toward zero to a signed 32-bit integer; NaN and values whose
// truncation lies outside the 32-bit range give -2^31.
constexpr i32 toInt32(double d)
{
    if (d > -2147483649.0 && d < 2147483648.0)
        return static_cast<i32>(d);
    return std::numeric_limits<i32>::min();
}
constexpr i32 toInt32(float f) { return toInt32(static_cast<double>(f)); }

} // namespace tintwell::arith

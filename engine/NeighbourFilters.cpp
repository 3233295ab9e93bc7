#include "NeighbourFilters.h"

#include "Arithmetic.h"
#include "Kernel.h"
#include "PassContext.h"

#include <cstddef>

namespace tintwell {

using namespace arith;

std::uint8_t *neighbourAt(std::uint8_t *data, std::int32_t c, std::int32_t r)
{
    const std::ptrdiff_t rowOffset = mul32(r, bytesPerRow);
    const std::ptrdiff_t columnOffset = mul32(c, bytesPerSample);
    return data + rowOffset + columnOffset;
}

namespace {

// One right and one down; the last row and column are left alone.
bool filter6(std::uint8_t *data, std::uint8_t *p, i32 x, i32 y, i64 value)
{
    if (add32(y, 1) > sub32(height, 1) || add32(x, 1) > sub32(width, 1))
        return false;
    const std::uint8_t *n = neighbourAt(data, add32(x, 1), add32(y, 1));
    const i32 v = low32(value);
    p[0] = byte(add32(add32(p[0], n[0]), mul32(x, v)));
    p[1] = byte(add32(add32(p[1], n[1]), mul32(y, v)));
    p[2] = byte(add32(add32(p[2], n[2]), div32(x, add32(y, 1))));
    return true;
}

// The mirror pixel through the centre, unguarded: every visited position lies
// inside the bitmap, so its mirror does too.
bool filter8(std::uint8_t *data, std::uint8_t *p, i32 x, i32 y, i64 value)
{
    const std::uint8_t *m = neighbourAt(data, sub32(sub32(width, 1), x), sub32(sub32(height, 1), y));
    const i32 r0 = p[0], g0 = p[1], b0 = p[2];
    const u32 ps = m[2] + r0;
    const u32 qs = m[1] + g0;
    const u32 ss = m[0] + b0;
    const i32 a = static_cast<i32>(runningThird(ps, qs, ss));
    const i32 d = static_cast<i32>(runningThird(ss, qs, ps));
    const i32 e = static_cast<i32>(runningThird(qs, ps, ss));
    const i32 v = low32(value);
    p[0] = byte(add32(r0, mul32(a, v)));
    p[1] = byte(add32(g0, mul32(d, v)));
    p[2] = byte(add32(b0, mul32(e, v)));
    return true;
}

// Single-precision means of the pixel and its right-hand neighbour.
bool filter9(std::uint8_t *data, std::uint8_t *p, i32 x, i32 y, i64 value)
{
    if (add32(x, 1) > sub32(width, 1))
        return false;
    const std::uint8_t *n = neighbourAt(data, add32(x, 1), y);
    const i32 nr = n[0], ng = n[1], nb = n[2];
    const float v = static_cast<float>(value);
    const i32 a = (p[0] + p[1] + p[2]) / 3;
    const i32 nm = (nr + ng + nb) / 3;
    p[0] = byte(toInt32(static_cast<float>(a) * v));
    const i32 g = toInt32(static_cast<float>(nm) * v);
    p[1] = byte(g);
    const float gv = static_cast<float>(g) * v;
    p[2] = byte(toInt32(static_cast<float>(p[0]) + gv));
    return true;
}

// The two pixels below, combined by the parity of the column and the row.
bool filter21(std::uint8_t *data, std::uint8_t *p, i32 x, i32 y, i64 value)
{
    const i32 limit = sub32(height, 2);
    if (add32(y, 1) > limit || add32(y, 2) > limit)
        return false;
    const std::uint8_t *pn = neighbourAt(data, x, add32(y, 1));
    const std::uint8_t *qn = neighbourAt(data, x, add32(y, 2));
    const i32 r = p[0], g = p[1], b = p[2];
    const i32 sr = r + pn[0] - qn[0];
    const i32 sg = g - pn[1] + qn[1];
    const i32 sb = b - pn[2] - qn[2];
    const bool xOdd = (x & 1) != 0;
    const bool yOdd = (y & 1) != 0;
    if (yOdd && xOdd) {
        const i32 v = low32(value);
        p[0] = byte(sub32(sub32(r, mul32(x, v)), sr));
        p[1] = byte(sub32(g, add32(sg, mul32(y, v))));
        const double inner = static_cast<double>(value) * 0.1 + static_cast<double>(sb);
        p[2] = byte(toInt32(static_cast<double>(b) - inner));
    } else if (yOdd) {
        const double t = static_cast<double>(value) * 0.1;
        p[0] = byte(toInt32(static_cast<double>(r) + (static_cast<double>(sr) + t)));
        p[1] = byte(toInt32(static_cast<double>(g) + (static_cast<double>(sg) + t)));
        p[2] = byte(toInt32(static_cast<double>(b) + (static_cast<double>(sb) + t)));
    } else {
        const double t = static_cast<double>(value) * (xOdd ? 1.5 : 0.5);
        p[0] = byte(toInt32(static_cast<double>(sr) + t));
        p[1] = byte(toInt32(static_cast<double>(sg) + t));
        p[2] = byte(toInt32(static_cast<double>(sb) + t));
    }
    return true;
}

} // namespace

bool applyNeighbourFilter(std::uint32_t index, std::uint8_t *data, std::uint8_t *p, std::int32_t x,
                          std::int32_t y, std::int64_t value)
{
    switch (index) {
    case 6:
        return filter6(data, p, x, y, value);
    case 8:
        return filter8(data, p, x, y, value);
    case 9:
        return filter9(data, p, x, y, value);
    case 21:
        return filter21(data, p, x, y, value);
    default:
        return true;
    }
}

} // namespace tintwell

#include "PixelFilters.h"

#include "Arithmetic.h"
#include "Kernel.h"

#include <cmath>

namespace tintwell {

using namespace arith;

std::int32_t fifthOf(std::int64_t value)
{
    return toInt32(static_cast<float>(value) * 0.2f);
}

namespace {

// The three bytes of the visited pixel, read as 0..255 and stored as low 8 bits.
struct Pixel {
    std::uint8_t *p;
    i32 r() const { return p[0]; }
    i32 g() const { return p[1]; }
    i32 b() const { return p[2]; }
    void setR(i32 v) const { p[0] = byte(v); }
    void setG(i32 v) const { p[1] = byte(v); }
    void setB(i32 v) const { p[2] = byte(v); }
};

// R·value + ((x + y)·value) / (x + y + 1), the R step of filters 10 and 14.
i32 diagonalStep(i32 r, i32 x, i32 y, i64 value)
{
    const i32 s = add32(x, y);
    const i64 q = div64(mul64(s, value), add32(s, 1));
    return add32(mul32(r, low32(value)), low32(q));
}

// G + (y·value + G) / (value + 1), the G step of filters 11 and 14.
i32 rowShareStep(i32 g, i32 y, i64 value)
{
    return add32(g, low32(div64(add64(mul64(y, value), g), add64(value, 1))));
}

// 2·B + (x + y) / (value + 1), the B step of filters 12 and 14.
i32 diagonalShareStep(i32 b, i32 x, i32 y, i64 value)
{
    return add32(2 * b, low32(div64(add32(x, y), add64(value, 1))));
}

} // namespace

void applyPixelFilter(std::uint32_t index, std::uint8_t *p, std::int32_t x, std::int32_t y,
                      std::int64_t value)
{
    const Pixel px{p};
    const i32 v = low32(value);
    const i32 r0 = px.r(), g0 = px.g(), b0 = px.b();

    switch (index) {
    case 0:
        px.setR(add32(r0, v));
        px.setG(add32(g0, v));
        px.setB(add32(b0, v));
        break;
    case 1:
        px.setR(add32(r0, v));
        px.setG(sub32(g0, v));
        px.setB(add32(b0, v));
        break;
    case 2:
        px.setR(mul32(r0, sub32(1, v)));
        px.setG(mul32(g0, add32(1, v)));
        px.setB(mul32(b0, sub32(1, v)));
        break;
    case 3: {
        const i32 k = fifthOf(value);
        px.setR(add32(r0, mul32(x, k)));
        px.setB(add32(b0, mul32(y, k)));
        px.setG(mul32(g0, k));
        break;
    }
    case 4: {
        const i32 k = fifthOf(value);
        px.setR(add32(r0, mul32(k, y)));
        px.setG(add32(g0, mul32(k, x)));
        px.setB(add32(b0, mul32(k, add32(x, y))));
        break;
    }
    case 5: {
        const i32 k = fifthOf(value);
        px.setR(sub32(r0, mul32(k, y)));
        px.setG(sub32(g0, mul32(k, x)));
        px.setB(sub32(b0, mul32(k, add32(x, y))));
        break;
    }
    case 7: {
        const u32 a = runningThird(2 * r0, 2 * g0, 2 * b0);
        const u32 d = runningThird(2 * b0, 2 * g0, 2 * r0);
        const u32 e = runningThird(2 * g0, 2 * r0, 2 * b0);
        px.setR(add32(r0, mul32(static_cast<i32>(a), v)));
        px.setG(add32(g0, mul32(static_cast<i32>(d), v)));
        px.setB(add32(b0, mul32(static_cast<i32>(e), v)));
        break;
    }
    case 10:
        px.setR(diagonalStep(r0, x, y, value));
        px.setG(add32(2 * g0, low32(div64(mul64(x, value), add32(y, 1)))));
        px.setB(add32(2 * b0, low32(div64(mul64(y, value), add32(x, 1)))));
        break;
    case 11: {
        const i64 d = add64(value, 1);
        px.setR(add32(r0, low32(div64(add64(mul64(x, value), b0), d))));
        px.setG(rowShareStep(g0, y, value));
        px.setB(add32(b0, px.r()));
        break;
    }
    case 12:
        px.setR(add32(2 * r0, mul32(div32(x, add32(y, 1)), v)));
        px.setG(add32(2 * g0, mul32(div32(y, add32(x, 1)), v)));
        px.setB(diagonalShareStep(b0, x, y, value));
        break;
    case 13: {
        const i64 d = add64(value, 1);
        const i64 r1 = add64(r0 + b0, mul64(div64(x, d), value));
        px.setR(low32(r1));
        px.setG(add32(2 * g0, mul32(low32(div64(y, d)), v)));
        px.setB(low32(add64(mul64(add64(r1, div64(mul32(x, y), d)), value), b0)));
        break;
    }
    case 14:
        px.setR(diagonalStep(r0, x, y, value));
        px.setG(rowShareStep(g0, y, value));
        px.setB(diagonalShareStep(b0, x, y, value));
        break;
    case 15:
        px.setR(add32(r0, mul32(rem32(x, add32(y, 1)), v)));
        px.setG(add32(g0, mul32(rem32(y, add32(x, 1)), v)));
        px.setB(add32(add32(b0, x), low32(rem64(y, add64(value, 1)))));
        break;
    case 16: {
        const i32 m = mul32((r0 + g0 + b0) / 3, v);
        px.setR(add32(r0, m));
        px.setG(sub32(g0, m));
        px.setB(add32(b0, m));
        break;
    }
    case 17: {
        px.setR(low32(add64(r0, mul64(div64(r0 + g0 + b0, add64(value, 1)), value))));
        const i32 r1 = px.r();
        px.setG(add32(g0, mul32((r1 + g0 + b0) / 3, v)));
        const i32 g1 = px.g();
        px.setB(add32(b0, mul32((r1 + g1 + b0) / 5, v)));
        break;
    }
    case 18: {
        const float fv = static_cast<float>(value);
        const float s = sinf(fv);
        const float c = cosf(fv);
        const float a = s * static_cast<float>(y) + 1.0f;
        px.setR(toInt32(static_cast<float>(r0) + a));
        const float bb = c * static_cast<float>(x) + 1.0f;
        px.setG(toInt32(static_cast<float>(g0) + bb));
        px.setB((px.r() + px.g() + b0) / 3 + b0);
        break;
    }
    case 19: {
        const i32 m = static_cast<i32>(rem64(add64(value, 1), 15) + 2);
        px.setR(add32(r0, mul32(sub32(b0, x), m)));
        px.setG(add32(g0, mul32(sub32(g0, y), m)));
        px.setB(sub32(add32(px.r(), b0), mul32(add32(x, y), m)));
        break;
    }
    case 20: {
        const i32 q1 = (r0 + g0 - b0) / 3;
        px.setR(add32(r0, mul32(q1, v)));
        const i32 r1 = px.r();
        const i32 q2 = (b0 - g0 + r1) / 6;
        px.setG(sub32(g0, mul32(q2, v)));
        const i32 q3 = (r1 - b0 - px.g()) / 9;
        px.setB(add32(b0, mul32(q3, v)));
        break;
    }
    case 22: {
        const bool xOdd = (x & 1) != 0;
        const bool yOdd = (y & 1) != 0;
        const i32 rv = mul32(r0, v);
        if (xOdd && yOdd) {
            px.setR(sub32(rv, y));
            px.setB(mul32(v, add32(x, y)));
        } else if (xOdd) {
            px.setR(sub32(rv, x));
            px.setB(mul32(v, sub32(x, y)));
        } else if (yOdd) {
            px.setR(sub32(rv, y));
            px.setB(mul32(v, sub32(x, y)));
        } else {
            px.setR(sub32(1, rv));
            px.setB(mul32(v, add32(x, y)));
        }
        break;
    }
    case 23: {
        px.setR(add32(add32(r0, 2 * g0), v));
        const i32 r1 = px.r();
        px.setG(add32(add32(2 * r1, g0), v));
        px.setB(add32(add32(b0, r1), v));
        break;
    }
    case 24: {
        px.setR(add32(add32(r0, b0), v));
        px.setG(add32(2 * g0, v));
        px.setB(add32(add32(b0, px.r()), v));
        break;
    }
    default:
        break;
    }
}

} // namespace tintwell

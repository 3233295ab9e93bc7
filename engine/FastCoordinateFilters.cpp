// Specialised loops for the filters with coordinate quotients (10, 11, 13,
// and 14 for the values its lane loop does not take) and the sine/cosine
// filter 18: quotients by per-pass and per-row divisors become
// multiply-and-shift, per-column ones a float estimate with a fix, and terms of
// x + y alone come from a table built once per pass.
#include "Arithmetic.h"
#include "FastDivision.h"
#include "FastFilters.h"
#include "FastTables.h"

#include <cmath>
#include <vector>

namespace tintwell::fast {

namespace {

using namespace arith;

// |value| as an unsigned number (also for the 64-bit minimum).
u64 magnitudeOf(i64 value) { return value < 0 ? 0 - static_cast<u64>(value) : static_cast<u64>(value); }

// Low byte of f(x) for every column of the pass.
template <class F>
std::vector<std::uint8_t> columnTable(const PassGeometry &g, const F &f)
{
    std::vector<std::uint8_t> table(static_cast<std::size_t>(g.columns));
    for (i32 x = 0; x < g.columns; ++x)
        table[static_cast<std::size_t>(x)] = byte(f(x));
    return table;
}

// Whether coordinate·value (+ a byte) stays below 2^31 in magnitude for every
// coordinate below `extent`, so that it needs no 64-bit arithmetic.
bool productFits(i64 value, i32 extent, u64 limit)
{
    const u64 m = magnitudeOf(value);
    const u64 c = extent > 0 ? static_cast<u64>(extent - 1) : 0;
    return m < limit && m * c + 255 < limit;
}

constexpr u64 int31 = u64{1} << 31;

bool filter10(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    // G needs x·|value| below 2^31, B needs y·|value| within smallQuotient's range.
    if (!productFits(in.value, g.columns, int31) || !productFits(in.value, g.rows, smallQuotientLimit))
        return false;
    const u32 v = static_cast<u32>(low32(in.value));
    const u32 m = static_cast<u32>(magnitudeOf(in.value));
    const u32 sign = in.value < 0 ? 0xFFFFFFFFu : 0u;
    const auto diagonal = diagonalStepTable(g, in.value);
    const auto inverse = columnInverses(g);
    const std::uint8_t *diag = diagonal.data();
    const float *inv = inverse.data();
    pixelPass(g, in.finish, [=](i32 y) {
        const ConstantDivisor rowDivisor(static_cast<u32>(y) + 1);
        const i32 rowNumerator = static_cast<i32>(static_cast<u32>(y) * m);
        const std::uint8_t *diagRow = diag + y;
        return [=](u32 w, i32 x) {
            const u32 qg = rowDivisor.quotient(static_cast<u32>(x) * m);
            const u32 qb = static_cast<u32>(smallQuotient(rowNumerator, x + 1, inv[x]).quotient);
            return Rgb{byte0(w) * v + diagRow[x], 2 * byte1(w) + ((qg ^ sign) - sign), 2 * byte2(w) + ((qb ^ sign) - sign)};
        };
    });
    return true;
}

// (c·value + byte) / (value + 1) for filters 11 and 14, the numerator below 2^31
// in magnitude: the quotient of its magnitude, negated when the signs differ.
struct ShareQuotient {
    ConstantDivisor magnitude;
    u32 divisorSign;

    explicit ShareQuotient(i64 value)
    {
        const i64 d = add64(value, 1);
        divisorSign = d < 0 ? 0xFFFFFFFFu : 0u;
        magnitude = d == 0 ? ConstantDivisor::givingZero() : ConstantDivisor(static_cast<u32>(magnitudeOf(d)));
    }
    u32 operator()(i32 n) const
    {
        const u32 mask = static_cast<u32>(n >> 31) ^ divisorSign;
        const u32 an = n < 0 ? 0u - static_cast<u32>(n) : static_cast<u32>(n);
        return (magnitude.quotient(an) ^ mask) - mask;
    }
};

bool filter11(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const i32 extent = g.columns > g.rows ? g.columns : g.rows;
    if (!productFits(in.value, extent, int31))
        return false;
    const i32 v = low32(in.value);
    const ShareQuotient share(in.value);
    pixelPass(g, in.finish, [=](i32 y) {
        const i32 yv = y * v;
        return [=](u32 w, i32 x) {
            const u32 r = byte0(w), gg = byte1(w), b = byte2(w);
            const u32 r1 = r + share(x * v + static_cast<i32>(b));
            return Rgb{r1, gg + share(yv + static_cast<i32>(gg)), b + (r1 & 0xFFu)};
        };
    });
    return true;
}

bool filter13(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    // x·y must not wrap in 32 bits.
    if (static_cast<u64>(g.columns) * static_cast<u64>(g.rows) >= int31)
        return false;
    const i64 d = add64(in.value, 1);
    const u32 v = static_cast<u32>(low32(in.value));
    const auto columnTerm = columnTable(g, [d, value = in.value](i32 x) { return mul64(div64(x, d), value); });
    const std::uint8_t *col = columnTerm.data();
    // The usual divisor, 2 <= d < 2^31, has a shift of 32 or more: the
    // quotient is the high word of the product shifted by the rest, without
    // the negation of a negative divisor.
    if (d >= 2 && d < static_cast<i64>(int31)) {
        const ConstantDivisor product(static_cast<u32>(d));
        const u32 multiplier = product.multiplier;
        const u32 rest = product.shift - 32;
        pixelPass(g, in.finish, [=](i32 y) {
            const u32 gTerm = static_cast<u32>(low32(div64(y, d))) * v;
            return [=](u32 w, i32 x) {
                const u32 r = byte0(w), b = byte2(w);
                const u32 r1 = r + b + col[x];
                const u64 n = static_cast<u32>(x) * static_cast<u32>(y);
                const u32 q = static_cast<u32>((n * multiplier) >> 32) >> rest;
                return Rgb{r1, 2 * byte1(w) + gTerm, (r1 + q) * v + b};
            };
        });
        return true;
    }
    const SignedDivisor product(d);
    pixelPass(g, in.finish, [=](i32 y) {
        const u32 gTerm = static_cast<u32>(low32(div64(y, d))) * v;
        return [=](u32 w, i32 x) {
            const u32 r = byte0(w), b = byte2(w);
            const u32 r1 = r + b + col[x];
            const u32 q = product.quotient(static_cast<u32>(x) * static_cast<u32>(y));
            return Rgb{r1, 2 * byte1(w) + gTerm, (r1 + q) * v + b};
        };
    });
    return true;
}

bool filter14(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    if (!productFits(in.value, g.rows, int31))
        return false;
    const i32 v = low32(in.value);
    const ShareQuotient share(in.value);
    const auto step = diagonalStepTable(g, in.value);
    const auto shareTable = diagonalShareTable(g, in.value);
    const std::uint8_t *stepDiag = step.data();
    const std::uint8_t *shareDiag = shareTable.data();
    // For value >= 0 every numerator y·value + G is >= 0: with y·value =
    // q0·(value + 1) + r0, the quotient is q0 + (r0 + G) / (value + 1), and
    // r0 + G stays below 2^11 when value + 1 is below 2^11 - 255.
    const u64 d = static_cast<u64>(in.value) + 1;
    if (in.value >= 0 && d + 255 < SmallDivisor::smallDivisorLimit) {
        const u32 ud = static_cast<u32>(d);
        const u32 uv = static_cast<u32>(v);
        const SmallDivisor small(d);
        pixelPass(g, in.finish, [=](i32 y) {
            const u32 yv = static_cast<u32>(y) * uv;
            const u32 q0 = yv / ud;
            const u32 r0 = yv - q0 * ud;
            const std::uint8_t *stepRow = stepDiag + y;
            const std::uint8_t *shareRow = shareDiag + y;
            return [=](u32 w, i32 x) {
                const u32 gg = byte1(w);
                return Rgb{byte0(w) * uv + stepRow[x], gg + q0 + small.quotient(r0 + gg), 2 * byte2(w) + shareRow[x]};
            };
        });
        return true;
    }
    pixelPass(g, in.finish, [=](i32 y) {
        const i32 yv = y * v;
        const std::uint8_t *stepRow = stepDiag + y;
        const std::uint8_t *shareRow = shareDiag + y;
        return [=](u32 w, i32 x) {
            const u32 gg = byte1(w);
            return Rgb{byte0(w) * static_cast<u32>(v) + stepRow[x], gg + share(yv + static_cast<i32>(gg)),
                       2 * byte2(w) + shareRow[x]};
        };
    });
    return true;
}

bool filter18(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const float fv = static_cast<float>(in.value);
    const float s = sinf(fv);
    const float c = cosf(fv);
    std::vector<float> columnTerm(static_cast<std::size_t>(g.columns));
    for (i32 x = 0; x < g.columns; ++x)
        columnTerm[static_cast<std::size_t>(x)] = c * static_cast<float>(x) + 1.0f;
    const float *col = columnTerm.data();
    // |s·y + 1| and |c·x + 1| stay far below 2^31 for the extents the fast pass
    // takes, so the truncations need no range check.
    pixelPass(g, in.finish, [=](i32 y) {
        const float a = s * static_cast<float>(y) + 1.0f;
        return [=](u32 w, i32 x) {
            const u32 b = byte2(w);
            const u32 r = static_cast<u32>(static_cast<i32>(static_cast<float>(byte0(w)) + a)) & 0xFFu;
            const u32 gg = static_cast<u32>(static_cast<i32>(static_cast<float>(byte1(w)) + col[x])) & 0xFFu;
            return Rgb{r, gg, divideSmall<3>(r + gg + b) + b};
        };
    });
    return true;
}

} // namespace

bool runCoordinateFilter(std::uint32_t index, const PassInputs &in)
{
    switch (index) {
    case 10:
        return filter10(in);
    case 11:
        return filter11(in);
    case 13:
        return filter13(in);
    case 14:
        return filter14(in);
    case 18:
        return filter18(in);
    default:
        return false;
    }
}

} // namespace tintwell::fast

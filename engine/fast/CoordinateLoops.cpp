// The filters with quotients and remainders of coordinates and byte sums (10
// to 15, 17) and the sine/cosine filter 18. Quotients by per-pass and per-row
// divisors become multiply-and-shift, per-column ones a float estimate with a
// fix, and terms of x + y alone come from a table built once per pass.
// Filters 12, 15, 17 and the common values of 14 run in 16-bit lanes, the
// others a pixel at a time.
#include "Arithmetic.h"
#include "Division.h"
#include "Lanes.h"
#include "Loops.h"
#include "Tables.h"

#include <cmath>
#include <vector>

namespace tintwell::fast {

namespace {

using namespace arith;
using lanes::F32;
using lanes::I32;
using lanes::Lanes;
using lanes::U16;
using lanes::U32;
using u16 = std::uint16_t;

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

} // namespace

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

bool filter12(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u32 v = static_cast<u32>(low32(in.value));
    // B's term in the high half of each word (B's lane).
    const std::vector<std::uint8_t> share = diagonalShareTable(g, in.value);
    std::vector<u32> diagonal(share.size());
    for (std::size_t s = 0; s < share.size(); ++s)
        diagonal[s] = static_cast<u32>(share[s]) << 16;
    const std::vector<float> inverse = columnInverses(g);
    const u32 *diag = diagonal.data();
    const float *inv = inverse.data();
    lanes::lanePass(g, in.finish, [=](i32 y) {
        const F32 rowInverse = F32{} + 1.0f / static_cast<float>(y + 1);
        const u32 *diagRow = diag + y;
        const bool carried = y + 1 >= lanes::smallestBlockDivisor;
        return [=, blocks = lanes::BlockQuotients(0, y + 1)](Lanes p, i32 x0) mutable TINTWELL_LANE_INLINE {
            const I32 x = lanes::pixelColumnsFrom(x0);
            // R: x / (y + 1); G: y / (x + 1); B reads the diagonal table.
            const U32 qr = reinterpret_cast<U32>(carried ? blocks.quotients()
                                                         : lanes::smallQuotients(x, I32{} + (y + 1), rowInverse)) *
                           v;
            blocks.next();
            const U32 qg = reinterpret_cast<U32>(lanes::smallQuotients(I32{} + y, x + 1, lanes::loadBlock<F32>(inv + x0))) * v;
            const U32 rbTerms = (qr & 0xFFFFu) | lanes::loadBlock<U32>(diagRow + x0);
            return Lanes{2 * p.rb + reinterpret_cast<U16>(rbTerms), 2 * p.ga + reinterpret_cast<U16>(qg)};
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

// Filter 14 for value >= 0 with value + 1 below 2^11 - 255: with y·value =
// q0·(value + 1) + r0 per row, G's quotient (y·value + G) / (value + 1) is
// q0 + (r0 + G) / (value + 1), a small division of a number below 2^11.
bool filter14InLanes(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u64 d = static_cast<u64>(in.value) + 1;
    if (in.value < 0 || d + 255 >= SmallDivisor::smallDivisorLimit ||
        static_cast<u64>(in.value) * static_cast<u64>(g.rows) >= (u64{1} << 31))
        return false;
    const auto ud = static_cast<u32>(d);
    const auto uv = static_cast<u32>(in.value);
    const SmallDivisor small(d);
    const u32 multiplier = small.multiplier, shift = small.shift;
    // R's and B's terms of x + y as the two bytes of one 16-bit entry: half
    // the size of a word a pixel, so more of the table stays in the
    // first-level cache beside the rows.
    const std::vector<std::uint8_t> step = diagonalStepTable(g, in.value), share = diagonalShareTable(g, in.value);
    std::vector<u16> diagonal(step.size());
    for (std::size_t s = 0; s < step.size(); ++s)
        diagonal[s] = static_cast<u16>(step[s] | (share[s] << 8));
    const u16 *diag = diagonal.data();
    // R is multiplied by the value, B by 2.
    const U16 factors = lanes::evenOdd(U16{} + static_cast<u16>(uv), U16{} + 2);
    lanes::lanePass(g, in.finish, [=](i32 y) {
        const u32 yv = static_cast<u32>(y) * uv;
        const auto q0 = static_cast<u16>(yv / ud);
        const auto r0 = static_cast<u16>(yv % ud);
        const u16 *diagRow = diag + y;
        return [=](Lanes p, i32 x0) TINTWELL_LANE_INLINE {
            const U32 entries = lanes::widenHalves(diagRow + x0);
            const U16 terms = reinterpret_cast<U16>((entries & 0xFFu) | ((entries & 0xFF00u) << 8));
            return Lanes{p.rb * factors + terms, p.ga + q0 + lanes::divideEven(p.ga + r0, multiplier, shift)};
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

// x % (y + 1) is x itself for x <= y, and y % (x + 1) is y itself for x > y:
// a block on one side of the diagonal needs only one of the two remainders.
bool filter15(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u32 v = static_cast<u32>(low32(in.value));
    const i64 d = add64(in.value, 1);
    // 1 / (x + 1) for every column, and 1 past the last one for the columns
    // of the last block that are not in the row.
    const std::vector<float> inverse = columnInverses(g);
    const float *inv = inverse.data();
    lanes::lanePass(g, in.finish, [=](i32 y) {
        const u32 bTerm = static_cast<u32>(low32(rem64(y, d)));
        const float rowInverse = 1.0f / static_cast<float>(y + 1);
        const u32 yv = static_cast<u32>(y) * v;
        const bool carried = y + 1 >= lanes::smallestBlockDivisor;
        const auto v16 = static_cast<u16>(v), yv16 = static_cast<u16>(yv), b16 = static_cast<u16>(bTerm);
        return [=, blocks = lanes::BlockQuotients(0, y + 1)](Lanes p, i32 x0) mutable TINTWELL_LANE_INLINE {
            // Only the low 16 bits of each term matter: the products are
            // taken in the 16-bit lanes, each pixel's column in both of its.
            const I32 x = lanes::pixelColumnsFrom(x0);
            const U16 x16 = lanes::columnsFrom(x0);
            const auto left = [&]() TINTWELL_LANE_INLINE {
                const F32 columnInverse = lanes::loadBlock<F32>(inv + x0);
                return reinterpret_cast<U16>(lanes::smallRemainders(I32{} + y, x + 1, columnInverse)) * v16;
            };
            const auto right = [&]() TINTWELL_LANE_INLINE {
                return reinterpret_cast<U16>(carried ? blocks.remainders()
                                                     : lanes::smallRemainders(x, I32{} + (y + 1), F32{} + rowInverse)) *
                       v16;
            };
            U16 rTerm, gTerm;
            if (x0 + lanes::blockPixels - 1 <= y) {
                rTerm = x16 * v16;
                gTerm = left();
            } else if (x0 > y) {
                rTerm = right();
                gTerm = U16{} + yv16;
            } else {
                const U16 onLeft = reinterpret_cast<U16>(x <= y);
                rTerm = ((x16 * v16) & onLeft) | (right() & ~onLeft);
                gTerm = (left() & onLeft) | (yv16 & ~onLeft);
            }
            blocks.next();
            return Lanes{p.rb + lanes::evenOdd(rTerm, x16 + b16), p.ga + gTerm};
        };
    });
    return true;
}

bool filter17(const PassInputs &in)
{
    const auto v = static_cast<u16>(low32(in.value));
    // The byte sum is below 2^11: a 32-bit multiply and shift divides it; a
    // negative divisor negates the quotient.
    const i64 d = add64(in.value, 1);
    const SmallDivisor sum(d < 0 ? 0 - static_cast<u64>(d) : static_cast<u64>(d));
    const u32 multiplier = sum.multiplier, shift = sum.shift;
    const u16 negate = d < 0 ? 0xFFFFu : 0u;
    lanes::lanePass(in.geometry, in.finish, [=](i32) {
        return [=](Lanes p, i32) TINTWELL_LANE_INLINE {
            const U16 b = lanes::oddToEven(p.rb);
            const U16 q = (lanes::divideEven(p.rb + p.ga + b, multiplier, shift) ^ negate) - negate;
            // Even lanes throughout: each step reads the bytes stored before it.
            const U16 r1 = (p.rb + q * v) & 0xFFu;
            const U16 g1 = (p.ga + lanes::divideEvenBy<3>(r1 + p.ga + b) * v) & 0xFFu;
            const U16 b1 = b + lanes::divideEvenBy<5>(r1 + g1 + b) * v;
            return Lanes{lanes::evenOdd(r1, lanes::evenToOdd(b1)), g1};
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

} // namespace tintwell::fast

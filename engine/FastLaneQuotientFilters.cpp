// Loops in 16-bit lanes for filters 12, 14, 15 and 17, whose quotients and
// remainders of coordinates and byte sums come from 32-bit views of the lanes
// and terms of x + y from tables.
#include "Arithmetic.h"
#include "FastDivision.h"
#include "FastFilters.h"
#include "FastLanes.h"
#include "FastTables.h"

#include <cstring>
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

// Filter 14 for value >= 0 with value + 1 below 2^11 - 255: with y·value =
// q0·(value + 1) + r0 per row, G's quotient (y·value + G) / (value + 1) is
// q0 + (r0 + G) / (value + 1), a small division of a number below 2^11.
bool filter14(const PassInputs &in)
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

template <std::uint32_t D>
TINTWELL_LANE_INLINE inline U16 divideEvenBy(U16 v)
{
    constexpr SmallDivisor divisor(D);
    return lanes::divideEven(v, divisor.multiplier, divisor.shift);
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
            const U16 g1 = (p.ga + divideEvenBy<3>(r1 + p.ga + b) * v) & 0xFFu;
            const U16 b1 = b + divideEvenBy<5>(r1 + g1 + b) * v;
            return Lanes{lanes::evenOdd(r1, lanes::evenToOdd(b1)), g1};
        };
    });
    return true;
}

} // namespace

bool runLaneQuotientFilter(std::uint32_t index, const PassInputs &in)
{
    switch (index) {
    case 12:
        return filter12(in);
    case 14:
        return filter14(in);
    case 15:
        return filter15(in);
    case 17:
        return filter17(in);
    default:
        return false;
    }
}

} // namespace tintwell::fast

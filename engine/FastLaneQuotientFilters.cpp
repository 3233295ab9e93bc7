// Loops in 16-bit lanes for filters 15 and 17, whose remainders of
// coordinates and quotients of byte sums come from 32-bit views of the lanes.
#include "Arithmetic.h"
#include "FastDivision.h"
#include "FastFilters.h"
#include "FastLanes.h"

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
    std::vector<float> inverse(lanes::blockRowSize(g.columns), 1.0f);
    for (i32 x = 0; x < g.columns; ++x)
        inverse[static_cast<std::size_t>(x)] = 1.0f / static_cast<float>(x + 1);
    const float *inv = inverse.data();
    lanes::lanePass(g, in.finish, [=](i32 y) {
        const u32 bTerm = static_cast<u32>(low32(rem64(y, d)));
        const float rowInverse = 1.0f / static_cast<float>(y + 1);
        const u32 yv = static_cast<u32>(y) * v;
        return [=](Lanes p, i32 x0) {
            const I32 x = lanes::pixelColumnsFrom(x0);
            U32 rTerm, gTerm;
            const auto left = [&] {
                F32 columnInverse;
                std::memcpy(&columnInverse, inv + x0, sizeof columnInverse);
                return reinterpret_cast<U32>(lanes::smallRemainders(I32{} + y, x + 1, columnInverse)) * v;
            };
            const auto right = [&] {
                return reinterpret_cast<U32>(lanes::smallRemainders(x, I32{} + (y + 1), F32{} + rowInverse)) * v;
            };
            const U32 xv = reinterpret_cast<U32>(x) * v;
            if (x0 + lanes::blockPixels - 1 <= y) {
                rTerm = xv;
                gTerm = left();
            } else if (x0 > y) {
                rTerm = right();
                gTerm = U32{} + yv;
            } else {
                const U32 onLeft = reinterpret_cast<U32>(x <= y);
                rTerm = (xv & onLeft) | (right() & ~onLeft);
                gTerm = (left() & onLeft) | (yv & ~onLeft);
            }
            const U32 rb = (rTerm & 0xFFFFu) | ((reinterpret_cast<U32>(x) + bTerm) << 16);
            return Lanes{p.rb + reinterpret_cast<U16>(rb), p.ga + reinterpret_cast<U16>(gTerm)};
        };
    });
    return true;
}

template <std::uint32_t D>
U16 divideEvenBy(U16 v)
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
        return [=](Lanes p, i32) {
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
    case 15:
        return filter15(in);
    case 17:
        return filter17(in);
    default:
        return false;
    }
}

} // namespace tintwell::fast

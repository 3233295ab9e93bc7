// Loops in 16-bit lanes (FastLanes.h) for the filters whose formulas are sums,
// products and small quotients of the bytes, the value and the coordinates.
#include "Arithmetic.h"
#include "FastDivision.h"
#include "FastFilters.h"
#include "FastLanes.h"
#include "PixelFilters.h"

#include <cstring>

namespace tintwell::fast {

namespace {

using lanes::Lanes;
using lanes::U16;
using lanes::U32;
using u16 = std::uint16_t;
using i32 = std::int32_t;

template <class PerBlock>
void uniformLanePass(const PassInputs &in, const PerBlock &perBlock)
{
    lanes::lanePass(in.geometry, in.finish, [&](i32) { return perBlock; });
}

// Even lanes divided by a small divisor fixed at compile time (values below 2^11).
template <std::uint32_t D>
TINTWELL_LANE_INLINE inline U16 divideEvenBy(U16 v)
{
    constexpr SmallDivisor divisor(D);
    return lanes::divideEven(v, divisor.multiplier, divisor.shift);
}

// Even lanes as signed 16-bit numbers divided by D, truncating toward zero
// (magnitudes below 2^11); odd lanes of the result are unspecified.
template <std::uint32_t D>
TINTWELL_LANE_INLINE inline U16 divideEvenSignedBy(U16 v)
{
    const U16 negative = 0 - (v >> 15);
    const U16 magnitude = (v ^ negative) - negative;
    return (divideEvenBy<D>(magnitude) ^ negative) - negative;
}

// The mirror filter's formula on a block whose mirror pixels, in the block's
// column order, are `mirror`.
TINTWELL_LANE_INLINE inline Lanes mirrorFormula(Lanes p, U32 mirror, u16 v)
{
    const Lanes m = lanes::splitBlock(mirror);
    // Even lanes: R + mirror B (p of the kernel); odd lanes: B + mirror R (s).
    const U16 ps = p.rb + reinterpret_cast<U16>((reinterpret_cast<U32>(m.rb) >> 16) | (reinterpret_cast<U32>(m.rb) << 16));
    const U16 q = p.ga + m.ga; // even lanes: G + mirror G
    // Even lanes run R's operands (p, q, s), odd lanes B's (q, p, s).
    const U16 ae = lanes::runningThirds(lanes::evenOdd(ps, lanes::evenToOdd(q)), lanes::evenOdd(q, lanes::evenToOdd(ps)),
                                        lanes::evenOdd(lanes::oddToEven(ps), ps));
    const U16 d = lanes::runningThirds(lanes::oddToEven(ps), q, ps);
    return Lanes{p.rb + ae * v, p.ga + d * v};
}

} // namespace

void mirrorRowLanes(std::uint8_t *row, const std::uint8_t *mirrorRow, std::int32_t x0, std::int32_t x1,
                    std::int32_t last, std::uint32_t value, const Finish &finish)
{
    const lanes::LaneFinish f(finish);
    const auto v = static_cast<u16>(value);
    const auto formula = [mirrorRow, last, v](Lanes p, i32 xb) TINTWELL_LANE_INLINE {
        // The block's mirrors are columns last - xb - 15 ... last - xb, in
        // reverse order; columns before 0 belong to lanes past the row's end.
        const i32 m0 = last - xb - (lanes::blockPixels - 1);
        U32 mirror = {};
        // The mirror row is read backwards: prefetch it a page behind.
        prefetchNear<3>(mirrorRow, static_cast<std::ptrdiff_t>(m0) * 4 - lanes::rowPrefetchBytes);
        if (m0 >= 0)
            std::memcpy(&mirror, mirrorRow + static_cast<std::ptrdiff_t>(m0) * 4, sizeof mirror);
        else
            std::memcpy(reinterpret_cast<std::uint8_t *>(&mirror) + static_cast<std::ptrdiff_t>(-m0) * 4, mirrorRow,
                        static_cast<std::size_t>(m0 + lanes::blockPixels) * 4);
        const U32 reversed = __builtin_shufflevector(mirror, mirror, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
        return mirrorFormula(p, reversed, v);
    };
    if (f.reverse)
        lanes::laneRow<true>(row, row, x0, x1, formula, f.mask, f.add);
    else
        lanes::laneRow<false>(row, row, x0, x1, formula, f.mask, f.add);
}

void belowRightRowLanes(std::uint8_t *row, const std::uint8_t *below, std::int32_t y, std::int32_t columns,
                        std::uint32_t value, const Finish &finish)
{
    const lanes::LaneFinish f(finish);
    const auto yv = static_cast<u16>(static_cast<std::uint32_t>(y) * value);
    const lanes::I32 rowDivisor = lanes::I32{} + (y + 1);
    const lanes::F32 rowInverse = lanes::F32{} + 1.0f / static_cast<float>(y + 1);
    lanes::BlockQuotients blocks(0, y + 1);
    const bool carried = y + 1 >= lanes::smallestBlockDivisor;
    const auto formula = [=](Lanes p, i32 xb) mutable TINTWELL_LANE_INLINE {
        // The neighbours below and to the right, columns xb + 1 ... xb + 16;
        // those of lanes past the row's end are not read.
        U32 next = {};
        const std::uint8_t *from = below + static_cast<std::ptrdiff_t>(xb + 1) * 4;
        if (columns - xb >= lanes::blockPixels)
            std::memcpy(&next, from, sizeof next);
        else
            std::memcpy(&next, from, static_cast<std::size_t>(columns - xb) * 4);
        const Lanes n = lanes::splitBlock(next);
        const lanes::I32 x = lanes::pixelColumnsFrom(xb);
        const U32 q = reinterpret_cast<U32>(carried ? blocks.quotients() : lanes::smallQuotients(x, rowDivisor, rowInverse));
        blocks.next();
        // R adds x·value (even lanes), B x / (y + 1) (odd lanes).
        const U32 terms = ((reinterpret_cast<U32>(x) * value) & 0xFFFFu) | (q << 16);
        return Lanes{p.rb + n.rb + reinterpret_cast<U16>(terms), p.ga + n.ga + yv};
    };
    if (f.reverse)
        lanes::laneRow<true>(row, row, 0, columns, formula, f.mask, f.add);
    else
        lanes::laneRow<false>(row, row, 0, columns, formula, f.mask, f.add);
}

bool runLaneFilter(std::uint32_t index, const PassInputs &in)
{
    const auto v = static_cast<u16>(arith::low32(in.value));
    switch (index) {
    case 0:
        uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE { return Lanes{p.rb + v, p.ga + v}; });
        return true;
    case 1:
        uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE { return Lanes{p.rb + v, p.ga - v}; });
        return true;
    case 2: {
        const auto down = static_cast<u16>(1u - v), up = static_cast<u16>(1u + v);
        uniformLanePass(in, [down, up](Lanes p, i32) TINTWELL_LANE_INLINE { return Lanes{p.rb * down, p.ga * up}; });
        return true;
    }
    case 3: {
        const auto k = static_cast<u16>(fifthOf(in.value));
        lanes::lanePass(in.geometry, in.finish, [k](i32 y) {
            const auto yk = static_cast<u16>(static_cast<u16>(y) * k);
            return [k, yk](Lanes p, i32 x0) TINTWELL_LANE_INLINE {
                const U16 xk = lanes::columnsFrom(x0) * k;
                return Lanes{p.rb + lanes::evenOdd(xk, U16{} + yk), p.ga * k};
            };
        });
        return true;
    }
    case 4:
    case 5: {
        // Filter 5 with k is filter 4 with -k.
        auto k = static_cast<u16>(fifthOf(in.value));
        if (index == 5)
            k = static_cast<u16>(0u - k);
        lanes::lanePass(in.geometry, in.finish, [k](i32 y) {
            const auto ky = static_cast<u16>(static_cast<u16>(y) * k);
            return [k, ky](Lanes p, i32 x0) TINTWELL_LANE_INLINE {
                const U16 kx = lanes::columnsFrom(x0) * k;
                return Lanes{p.rb + lanes::evenOdd(U16{} + ky, kx + ky), p.ga + kx};
            };
        });
        return true;
    }
    case 7:
        uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
            // Even lanes run R's operands (2R, 2G, 2B), odd lanes B's (2G, 2R, 2B).
            const U16 first = lanes::evenOdd(p.rb, lanes::evenToOdd(p.ga)) * 2;
            const U16 second = lanes::evenOdd(p.ga, lanes::evenToOdd(p.rb)) * 2;
            const U16 blue = lanes::evenOdd(lanes::oddToEven(p.rb), p.rb) * 2;
            const U16 ae = lanes::runningThirds(first, second, blue);
            const U16 d = lanes::runningThirds(blue, p.ga * 2, p.rb * 2);
            return Lanes{p.rb + ae * v, p.ga + d * v};
        });
        return true;
    case 16:
        uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
            const U16 m = divideEvenBy<3>(p.rb + p.ga + lanes::oddToEven(p.rb)) * v;
            return Lanes{p.rb + m + lanes::evenToOdd(m), p.ga - m};
        });
        return true;
    case 20:
        uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
            const U16 r = p.rb, g = p.ga, b = lanes::oddToEven(p.rb);
            const U16 r1 = (r + divideEvenSignedBy<3>(r + g - b) * v) & 0xFFu;
            const U16 g1 = (g - divideEvenSignedBy<6>(b - g + r1) * v) & 0xFFu;
            const U16 b1 = b + divideEvenSignedBy<9>(r1 - b - g1) * v;
            return Lanes{lanes::evenOdd(r1, lanes::evenToOdd(b1)), g1};
        });
        return true;
    case 24:
        uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
            // Even lanes: R + B + value, the new R; odd lanes: B + value.
            const U16 t = p.rb + lanes::oddToEven(p.rb) + v;
            return Lanes{t + lanes::evenToOdd(t), 2 * p.ga + v};
        });
        return true;
    case 19: {
        const auto m = static_cast<u16>(arith::rem64(arith::add64(in.value, 1), 15) + 2);
        lanes::lanePass(in.geometry, in.finish, [m](i32 y) {
            const auto uy = static_cast<u16>(y);
            return [m, uy](Lanes p, i32 x0) TINTWELL_LANE_INLINE {
                const U16 x = lanes::columnsFrom(x0);
                // One product for R's (B − x)·m (even lanes) and B's
                // (x + y)·m (odd lanes). R first: B reads the stored R.
                const U16 product = lanes::evenOdd(lanes::oddToEven(p.rb) - x, x + uy) * m;
                const U16 r1 = p.rb + product;
                const U16 b = lanes::evenToOdd(r1) + p.rb - product;
                return Lanes{lanes::evenOdd(r1, b), p.ga + (p.ga - uy) * m};
            };
        });
        return true;
    }
    case 22:
        lanes::lanePass(in.geometry, in.finish, [v](i32 y) {
            const auto uy = static_cast<u16>(y);
            const u16 yOdd = (y & 1) != 0 ? 0xFFFFu : 0u;
            const u16 yEven = static_cast<u16>(~yOdd);
            const auto vy = static_cast<u16>(v * uy);
            const auto minusVy = static_cast<u16>(0u - vy);
            return [v, uy, yOdd, yEven, vy, minusVy](Lanes p, i32 x0) TINTWELL_LANE_INLINE {
                const U16 x = lanes::columnsFrom(x0);
                const U16 xOdd = 0 - (x & 1);
                const U16 rv = p.rb * v;
                // Odd rows take R·value − y; even rows R·value − x at odd
                // columns and 1 − R·value at even ones. B uses x + y when the
                // parities agree and x − y when they differ.
                const U16 evenRowR = ((rv - x) & xOdd) | ((1 - rv) & ~xOdd);
                const U16 r = ((rv - uy) & yOdd) | (evenRowR & yEven);
                const U16 agree = ~(xOdd ^ yOdd);
                const U16 b = x * v + ((vy & agree) | (minusVy & ~agree));
                return Lanes{lanes::evenOdd(r, b), p.ga};
            };
        });
        return true;
    case 23:
        uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
            // Even lanes: R + 2·G + value, the new R; odd lanes: B + value.
            const U16 t = p.rb + lanes::evenOdd(p.ga << 1, U16{}) + v;
            return Lanes{t + lanes::evenToOdd(t), 2 * t + p.ga + v};
        });
        return true;
    default:
        return false;
    }
}

} // namespace tintwell::fast

// The filters whose formulas are sums, products and small quotients of the
// pixel's bytes, the value and the coordinates, in 16-bit lanes (Lanes.h); and
// the identity, a pixel at a time.
#include "Arithmetic.h"
#include "Lanes.h"
#include "Loops.h"
#include "PixelFilters.h"

namespace tintwell::fast {

namespace {

using lanes::Lanes;
using lanes::U16;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using i32 = std::int32_t;

template <class PerBlock>
void uniformLanePass(const PassInputs &in, const PerBlock &perBlock)
{
    lanes::lanePass(in.geometry, in.finish, [&](i32) { return perBlock; });
}

u16 value16(const PassInputs &in) { return static_cast<u16>(arith::low32(in.value)); }

// Filter 4 with k; filter 5 with k is filter 4 with -k.
void rowAndColumnTimesK(const PassInputs &in, u16 k)
{
    lanes::lanePass(in.geometry, in.finish, [k](i32 y) {
        const auto ky = static_cast<u16>(static_cast<u16>(y) * k);
        return [k, ky](Lanes p, i32 x0) TINTWELL_LANE_INLINE {
            const U16 kx = lanes::columnsFrom(x0) * k;
            return Lanes{p.rb + lanes::evenOdd(U16{} + ky, kx + ky), p.ga + kx};
        };
    });
}

} // namespace

bool identity(const PassInputs &in)
{
    pixelPass(in.geometry, in.finish, [](i32) { return [](u32 w, i32) { return Rgb{byte0(w), byte1(w), byte2(w)}; }; });
    return true;
}

bool filter0(const PassInputs &in)
{
    const u16 v = value16(in);
    uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE { return Lanes{p.rb + v, p.ga + v}; });
    return true;
}

bool filter1(const PassInputs &in)
{
    const u16 v = value16(in);
    uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE { return Lanes{p.rb + v, p.ga - v}; });
    return true;
}

bool filter2(const PassInputs &in)
{
    const u16 v = value16(in);
    const auto down = static_cast<u16>(1u - v), up = static_cast<u16>(1u + v);
    uniformLanePass(in, [down, up](Lanes p, i32) TINTWELL_LANE_INLINE { return Lanes{p.rb * down, p.ga * up}; });
    return true;
}

bool filter3(const PassInputs &in)
{
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

bool filter4(const PassInputs &in)
{
    rowAndColumnTimesK(in, static_cast<u16>(fifthOf(in.value)));
    return true;
}

bool filter5(const PassInputs &in)
{
    rowAndColumnTimesK(in, static_cast<u16>(0u - static_cast<u16>(fifthOf(in.value))));
    return true;
}

bool filter7(const PassInputs &in)
{
    const u16 v = value16(in);
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
}

bool filter16(const PassInputs &in)
{
    const u16 v = value16(in);
    uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
        const U16 m = lanes::divideEvenBy<3>(p.rb + p.ga + lanes::oddToEven(p.rb)) * v;
        return Lanes{p.rb + m + lanes::evenToOdd(m), p.ga - m};
    });
    return true;
}

bool filter19(const PassInputs &in)
{
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

bool filter20(const PassInputs &in)
{
    const u16 v = value16(in);
    uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
        const U16 r = p.rb, g = p.ga, b = lanes::oddToEven(p.rb);
        const U16 r1 = (r + lanes::divideEvenSignedBy<3>(r + g - b) * v) & 0xFFu;
        const U16 g1 = (g - lanes::divideEvenSignedBy<6>(b - g + r1) * v) & 0xFFu;
        const U16 b1 = b + lanes::divideEvenSignedBy<9>(r1 - b - g1) * v;
        return Lanes{lanes::evenOdd(r1, lanes::evenToOdd(b1)), g1};
    });
    return true;
}

bool filter22(const PassInputs &in)
{
    const u16 v = value16(in);
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
}

bool filter23(const PassInputs &in)
{
    const u16 v = value16(in);
    uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
        // Even lanes: R + 2·G + value, the new R; odd lanes: B + value.
        const U16 t = p.rb + lanes::evenOdd(p.ga << 1, U16{}) + v;
        return Lanes{t + lanes::evenToOdd(t), 2 * t + p.ga + v};
    });
    return true;
}

bool filter24(const PassInputs &in)
{
    const u16 v = value16(in);
    uniformLanePass(in, [v](Lanes p, i32) TINTWELL_LANE_INLINE {
        // Even lanes: R + B + value, the new R; odd lanes: B + value.
        const U16 t = p.rb + lanes::oddToEven(p.rb) + v;
        return Lanes{t + lanes::evenToOdd(t), 2 * p.ga + v};
    });
    return true;
}

} // namespace tintwell::fast

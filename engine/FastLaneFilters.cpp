// Loops in 16-bit lanes (FastLanes.h) for the filters whose formulas only add,
// subtract and multiply bytes, the value and the coordinates.
#include "Arithmetic.h"
#include "FastFilters.h"
#include "FastLanes.h"

namespace tintwell::fast {

namespace {

using lanes::Lanes;
using lanes::U16;
using u16 = std::uint16_t;
using i32 = std::int32_t;

template <class PerBlock>
void uniformLanePass(const PassInputs &in, const PerBlock &perBlock)
{
    lanes::lanePass(in.geometry, in.finish, [&](i32) { return perBlock; });
}

} // namespace

bool runLaneFilter(std::uint32_t index, const PassInputs &in)
{
    const auto v = static_cast<u16>(arith::low32(in.value));
    switch (index) {
    case 0:
        uniformLanePass(in, [v](Lanes p, i32) { return Lanes{p.rb + v, p.ga + v}; });
        return true;
    case 19: {
        const auto m = static_cast<u16>(arith::rem64(arith::add64(in.value, 1), 15) + 2);
        lanes::lanePass(in.geometry, in.finish, [m](i32 y) {
            const auto uy = static_cast<u16>(y);
            return [m, uy](Lanes p, i32 x0) {
                const U16 x = lanes::columnsFrom(x0);
                // R (even lanes) first: B reads the stored R.
                const U16 r1 = p.rb + (lanes::oddToEven(p.rb) - x) * m;
                const U16 b = lanes::evenToOdd(r1) + p.rb - (x + uy) * m;
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
            return [v, uy, yOdd, yEven, vy, minusVy](Lanes p, i32 x0) {
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
        uniformLanePass(in, [v](Lanes p, i32) {
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

// Specialised loops for the filters whose formula is a handful of byte
// operations on the visited pixel (and for the identity).
#include "Arithmetic.h"
#include "FastDivision.h"
#include "FastFilters.h"
#include "PixelFilters.h"

namespace tintwell::fast {

namespace {

using u32 = std::uint32_t;
using i32 = std::int32_t;

template <class PerPixel>
void uniformPass(const PassInputs &in, const PerPixel &perPixel)
{
    pixelPass(in.geometry, in.finish, [&](i32) { return perPixel; });
}

} // namespace

bool runSimpleFilter(std::uint32_t index, const PassInputs &in)
{
    const u32 v = static_cast<u32>(arith::low32(in.value));
    switch (index) {
    case 0:
        uniformPass(in, [v](u32 w, i32) { return Rgb{byte0(w) + v, byte1(w) + v, byte2(w) + v}; });
        return true;
    case 1:
        uniformPass(in, [v](u32 w, i32) { return Rgb{byte0(w) + v, byte1(w) - v, byte2(w) + v}; });
        return true;
    case 2: {
        const u32 down = 1u - v, up = 1u + v;
        uniformPass(in, [down, up](u32 w, i32) { return Rgb{byte0(w) * down, byte1(w) * up, byte2(w) * down}; });
        return true;
    }
    case 3: {
        const u32 k = static_cast<u32>(fifthOf(in.value));
        pixelPass(in.geometry, in.finish, [k](i32 y) {
            const u32 yk = static_cast<u32>(y) * k;
            return [k, yk](u32 w, i32 x) {
                return Rgb{byte0(w) + static_cast<u32>(x) * k, byte1(w) * k, byte2(w) + yk};
            };
        });
        return true;
    }
    case 4:
    case 5: {
        // Filter 5 with k is filter 4 with -k.
        u32 k = static_cast<u32>(fifthOf(in.value));
        if (index == 5)
            k = 0u - k;
        pixelPass(in.geometry, in.finish, [k](i32 y) {
            const u32 ky = k * static_cast<u32>(y);
            return [k, ky](u32 w, i32 x) {
                const u32 kx = k * static_cast<u32>(x);
                return Rgb{byte0(w) + ky, byte1(w) + kx, byte2(w) + kx + ky};
            };
        });
        return true;
    }
    case 7:
        uniformPass(in, [v](u32 w, i32) {
            const u32 r = byte0(w), g = byte1(w), b = byte2(w);
            const u32 a = runningThirdOf(2 * r, 2 * g, 2 * b);
            const u32 d = runningThirdOf(2 * b, 2 * g, 2 * r);
            const u32 e = runningThirdOf(2 * g, 2 * r, 2 * b);
            return Rgb{r + a * v, g + d * v, b + e * v};
        });
        return true;
    case 16:
        uniformPass(in, [v](u32 w, i32) {
            const u32 r = byte0(w), g = byte1(w), b = byte2(w);
            const u32 m = divideSmall<3>(r + g + b) * v;
            return Rgb{r + m, g - m, b + m};
        });
        return true;
    case 19: {
        const u32 m = static_cast<u32>(arith::rem64(arith::add64(in.value, 1), 15) + 2);
        pixelPass(in.geometry, in.finish, [m](i32 y) {
            const u32 uy = static_cast<u32>(y);
            return [m, uy](u32 w, i32 x) {
                const u32 r = byte0(w), g = byte1(w), b = byte2(w), ux = static_cast<u32>(x);
                const u32 r1 = r + (b - ux) * m;
                return Rgb{r1, g + (g - uy) * m, r1 + b - (ux + uy) * m};
            };
        });
        return true;
    }
    case 20:
        uniformPass(in, [v](u32 w, i32) {
            const i32 r = static_cast<i32>(byte0(w)), g = static_cast<i32>(byte1(w)), b = static_cast<i32>(byte2(w));
            const i32 q1 = divideSmallSigned<3>(r + g - b);
            const i32 r1 = static_cast<i32>((static_cast<u32>(r) + static_cast<u32>(q1) * v) & 0xFFu);
            const i32 q2 = divideSmallSigned<6>(b - g + r1);
            const i32 g1 = static_cast<i32>((static_cast<u32>(g) - static_cast<u32>(q2) * v) & 0xFFu);
            const i32 q3 = divideSmallSigned<9>(r1 - b - g1);
            return Rgb{static_cast<u32>(r1), static_cast<u32>(g1), static_cast<u32>(b) + static_cast<u32>(q3) * v};
        });
        return true;
    case 22:
        pixelPass(in.geometry, in.finish, [v](i32 y) {
            const u32 uy = static_cast<u32>(y);
            const u32 yOdd = 0u - (uy & 1u); // all ones on odd rows
            return [v, uy, yOdd](u32 w, i32 x) {
                const u32 ux = static_cast<u32>(x);
                const u32 xOdd = 0u - (ux & 1u);
                const u32 rv = byte0(w) * v;
                // Odd rows take R·value − y; even rows R·value − x at odd
                // columns and 1 − R·value at even ones. B uses x + y when the
                // parities agree and x − y when they differ. Masks, not
                // branches, so that the loop vectorises.
                const u32 evenRowR = ((rv - ux) & xOdd) | ((1u - rv) & ~xOdd);
                const u32 r = ((rv - uy) & yOdd) | (evenRowR & ~yOdd);
                const u32 agree = ~(xOdd ^ yOdd);
                const u32 b = ((v * (ux + uy)) & agree) | ((v * (ux - uy)) & ~agree);
                return Rgb{r, byte1(w), b};
            };
        });
        return true;
    case 23:
        uniformPass(in, [v](u32 w, i32) {
            const u32 r1 = byte0(w) + 2 * byte1(w) + v;
            return Rgb{r1, 2 * r1 + byte1(w) + v, byte2(w) + r1 + v};
        });
        return true;
    case 24:
        uniformPass(in, [v](u32 w, i32) {
            const u32 r1 = byte0(w) + byte2(w) + v;
            return Rgb{r1, 2 * byte1(w) + v, byte2(w) + r1 + v};
        });
        return true;
    default:
        if (index < 25)
            return false;
        uniformPass(in, [](u32 w, i32) { return Rgb{byte0(w), byte1(w), byte2(w)}; });
        return true;
    }
}

} // namespace tintwell::fast

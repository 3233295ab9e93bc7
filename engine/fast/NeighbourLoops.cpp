// The filters that read other pixels of the bitmap they rewrite, besides 21
// (Filter21.cpp): 6 (below and to the right) in bands of rows, 8 (the mirror)
// in two halves, 9 (the right-hand neighbour) row by row.
#include "Arithmetic.h"
#include "Division.h"
#include "Lanes.h"
#include "Loops.h"
#include "Truncation.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace tintwell::fast {

namespace {

using namespace arith;
using lanes::Lanes;
using lanes::U16;
using lanes::U32;
using i32 = std::int32_t;
using u16 = std::uint16_t;

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

// Pixels x0..x1-1 of a row of the mirror filter; the mirror of column x is
// column last - x of mirrorRow, which may be the row itself as long as the
// range and its mirrors share at most one pixel.
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

// Pixels 0..columns-1 of row y of filter 6, which adds the pixel below and to
// the right (column x + 1 of `below`, as it was before the pass).
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

// |value| up to which every conversion of filter 9 fits in 32 bits: the
// largest is 255 + 255·value², rounded in single precision.
constexpr std::int64_t plainFilter9Limit = 2000;

bool isWithin(std::int64_t value, std::int64_t limit) { return value >= -limit && value <= limit; }

} // namespace

bool filter6(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u32 v = static_cast<u32>(low32(in.value));
    // The last row and the last column fail the bounds guard and stay as they are.
    bandedPass(g, 1, [&](std::int32_t y, const auto &rowAt) {
        if (y < g.rows - 1)
            onTarget([&](auto) { belowRightRowLanes(g.row(y), rowAt(y + 1), y, g.columns - 1, v, in.finish); });
    });
    return true;
}

// The mirror of pixel i (in row order, of n) is pixel n - 1 - i. Pixels of the
// first half read mirrors the pass has not reached yet (or themselves, at the
// centre); pixels of the second half read mirrors already rewritten. So the
// first half runs in parallel on the bytes from before the pass, then the
// second half in parallel on the rewritten first half.
bool filter8(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u32 v = static_cast<u32>(low32(in.value));
    const std::int64_t columns = g.columns;
    const std::int64_t n = columns * g.rows;
    const std::int64_t half = (n + 1) / 2;
    const auto runRange = [&](std::int64_t lo, std::int64_t hi) {
        if (lo >= hi)
            return;
        const auto firstRow = static_cast<std::int32_t>(lo / columns);
        const auto lastRow = static_cast<std::int32_t>((hi - 1) / columns);
        const int threads = threadsFor(lastRow - firstRow + 1);
        // Within a half, rows are independent of one another.
#pragma omp parallel for schedule(dynamic, rowChunkFor(lastRow - firstRow + 1, threads)) num_threads(threads)
        for (std::int32_t y = firstRow; y <= lastRow; ++y) {
            const std::int64_t start = static_cast<std::int64_t>(y) * columns;
            const auto x0 = static_cast<std::int32_t>(lo > start ? lo - start : 0);
            const auto x1 = static_cast<std::int32_t>(hi - start < columns ? hi - start : columns);
            onTarget([&](auto) { mirrorRowLanes(g.row(y), g.row(g.rows - 1 - y), x0, x1, g.columns - 1, v, in.finish); });
        }
    };
    runRange(0, half);
    runRange(half, n);
    return true;
}

namespace {

// The row loops below take everything by value: stores through the byte
// pointers could alias anything reached through a reference, which keeps
// loops scalar.
template <bool Checked>
void row9(std::uint8_t *row, std::int32_t columns, float fv, Finish finish)
{
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x);
        const u32 nw = loadWord(row, x + 1);
        const u32 a = divideSmall<3>(byte0(w) + byte1(w) + byte2(w));
        const u32 m = divideSmall<3>(byte0(nw) + byte1(nw) + byte2(nw));
        const u32 r = static_cast<u32>(truncFloat<Checked>(static_cast<float>(static_cast<i32>(a)) * fv)) & 0xFFu;
        const i32 gFull = truncFloat<Checked>(static_cast<float>(static_cast<i32>(m)) * fv);
        const float gv = static_cast<float>(gFull) * fv;
        const u32 b = static_cast<u32>(truncFloat<Checked>(static_cast<float>(static_cast<i32>(r)) + gv));
        storeWord(row, x, finish.apply(w, Rgb{r, static_cast<u32>(gFull), b}));
    }
}

// trunc(float((R + G + B) / 3) · value) for every pixel of a row (value small
// enough that the conversion needs no range check).
void thirdsTimesValue9(const std::uint8_t *row, std::int32_t columns, float fv, i32 *out)
{
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x);
        const u32 a = divideSmall<3>(byte0(w) + byte1(w) + byte2(w));
        out[x] = truncFloat<false>(static_cast<float>(static_cast<i32>(a)) * fv);
    }
}

// Filter 9 on a row whose products thirdsTimesValue9 formed first: R takes the
// pixel's own product, G its right-hand neighbour's.
void row9FromProducts(std::uint8_t *row, std::int32_t columns, const i32 *products, float fv, Finish finish)
{
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x);
        const u32 r = static_cast<u32>(products[x]) & 0xFFu;
        const i32 gFull = products[x + 1];
        const float gv = static_cast<float>(gFull) * fv;
        const u32 b = static_cast<u32>(truncFloat<false>(static_cast<float>(static_cast<i32>(r)) + gv));
        storeWord(row, x, finish.apply(w, Rgb{r, static_cast<u32>(gFull), b}));
    }
}

// Each pixel reads its right-hand neighbour, which the pass reaches next: a
// row only reads itself, so rows need no copies. For moderate values each
// pixel's (R + G + B) / 3 · value is formed once per row, before the row is
// rewritten, and read by the pixel and its left-hand neighbour.
} // namespace

bool filter9(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const float fv = static_cast<float>(in.value);
    const bool checked = !isWithin(in.value, plainFilter9Limit);
    const int threads = threadsFor(g.rows);
    if (checked) {
#pragma omp parallel for schedule(dynamic, rowChunkFor(g.rows, threads)) num_threads(threads)
        for (std::int32_t y = 0; y < g.rows; ++y)
            onTarget([&](auto) { row9<true>(g.row(y), g.columns - 1, fv, in.finish); }); // the last column fails the guard
        return true;
    }
#pragma omp parallel num_threads(threads)
    {
        std::vector<i32> products(static_cast<std::size_t>(g.columns));
#pragma omp for schedule(dynamic, rowChunkFor(g.rows, threads))
        for (std::int32_t y = 0; y < g.rows; ++y) {
            std::uint8_t *row = g.row(y);
            onTarget([&](auto) {
                thirdsTimesValue9(row, g.columns, fv, products.data());
                // The last column fails the guard.
                row9FromProducts(row, g.columns - 1, products.data(), fv, in.finish);
            });
        }
    }
    return true;
}

} // namespace tintwell::fast



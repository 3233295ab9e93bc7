// Specialised loops for the filters that read other pixels of the bitmap they
// rewrite. Each thread takes a contiguous band of rows; the rows just below a
// band, which the band reads before the next band rewrites them, are copied
// before any thread starts writing. The mirror filter runs in two halves.
#include "Arithmetic.h"
#include "FastDivision.h"
#include "FastFilters.h"
#include "FastTruncation.h"

#include <cstring>
#include <vector>

namespace tintwell::fast {

namespace {

using namespace arith;

// |value| up to which every conversion of filter 9 fits in 32 bits: the
// largest is 255 + 255·value², rounded in single precision.
constexpr std::int64_t plainFilter9Limit = 2000;
// Likewise for filter 21: at most 1020 + 1.5·|value|.
constexpr std::int64_t plainFilter21Limit = std::int64_t{1} << 30;

bool isWithin(std::int64_t value, std::int64_t limit) { return value >= -limit && value <= limit; }

// Runs rowFn(y, rowBelow) for every row of every band, where rowBelow(r) is row
// r as it was before the pass for the `lookahead` rows after the band.
template <class RowFn>
void bandedPass(const PassGeometry &g, std::int32_t lookahead, const RowFn &rowFn)
{
    const int threads = threadsFor(g.rows);
    const std::size_t rowBytes = static_cast<std::size_t>(g.columns) * 4;
    std::vector<std::uint8_t> copies(static_cast<std::size_t>(threads) * static_cast<std::size_t>(lookahead) * rowBytes);
#pragma omp parallel num_threads(threads)
    {
        const Band band = bandOf(g.rows, omp_get_thread_num(), omp_get_num_threads());
        std::uint8_t *copy = copies.data() + static_cast<std::size_t>(omp_get_thread_num()) *
                                                 static_cast<std::size_t>(lookahead) * rowBytes;
        if (band.first < band.last) {
            for (std::int32_t k = 0; k < lookahead && band.last + k < g.rows; ++k)
                std::memcpy(copy + static_cast<std::size_t>(k) * rowBytes, g.row(band.last + k), rowBytes);
        }
#pragma omp barrier
        const auto rowAt = [&](std::int32_t r) -> const std::uint8_t * {
            return r < band.last ? g.row(r) : copy + static_cast<std::size_t>(r - band.last) * rowBytes;
        };
        for (std::int32_t y = band.first; y < band.last; ++y)
            rowFn(y, rowAt);
    }
}

// The loops below take everything by value: stores through the byte pointers
// could alias anything reached through a reference, which keeps loops scalar.

TINTWELL_VECTOR_CLONES void row6(std::uint8_t *row, const std::uint8_t *below, std::int32_t y, std::int32_t columns, u32 v, Finish finish)
{
    const ConstantDivisor rowDivisor(static_cast<u32>(y) + 1);
    const u32 yv = static_cast<u32>(y) * v;
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x);
        const u32 n = loadWord(below, x + 1);
        const Rgb c{byte0(w) + byte0(n) + static_cast<u32>(x) * v, byte1(w) + byte1(n) + yv,
                    byte2(w) + byte2(n) + rowDivisor.quotient(static_cast<u32>(x))};
        storeWord(row, x, finish.apply(w, c));
    }
}

void filter6(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u32 v = static_cast<u32>(low32(in.value));
    // The last row and the last column fail the bounds guard and stay as they are.
    bandedPass(g, 1, [&](std::int32_t y, const auto &rowAt) {
        if (y < g.rows - 1)
            row6(g.row(y), rowAt(y + 1), y, g.columns - 1, v, in.finish);
    });
}

// Pixels x0..x1-1 of a row, whose mirror row is mirrorRow (column last - x).
TINTWELL_VECTOR_CLONES void mirrorRow8(std::uint8_t *row, const std::uint8_t *mirrorRow, std::int32_t x0, std::int32_t x1, std::int32_t last,
                u32 v, Finish finish)
{
    for (std::int32_t x = x0; x < x1; ++x) {
        const u32 w = loadWord(row, x);
        const u32 m = loadWord(mirrorRow, last - x);
        const u32 r = byte0(w), gg = byte1(w), b = byte2(w);
        const u32 p = byte2(m) + r, q = byte1(m) + gg, s = byte0(m) + b;
        const Rgb c{r + runningThirdOf(p, q, s) * v, gg + runningThirdOf(s, q, p) * v, b + runningThirdOf(q, p, s) * v};
        storeWord(row, x, finish.apply(w, c));
    }
}

// The mirror of pixel i (in row order, of n) is pixel n - 1 - i. Pixels of the
// first half read mirrors the pass has not reached yet (or themselves, at the
// centre); pixels of the second half read mirrors already rewritten. So the
// first half runs in parallel on the bytes from before the pass, then the
// second half in parallel on the rewritten first half.
void filter8(const PassInputs &in)
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
            mirrorRow8(g.row(y), g.row(g.rows - 1 - y), x0, x1, g.columns - 1, v, in.finish);
        }
    };
    runRange(0, half);
    runRange(half, n);
}

template <bool Checked>
TINTWELL_VECTOR_CLONES void row9(std::uint8_t *row, std::int32_t columns, float fv, Finish finish)
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
TINTWELL_VECTOR_CLONES void thirdsTimesValue9(const std::uint8_t *row, std::int32_t columns, float fv, i32 *out)
{
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x);
        const u32 a = divideSmall<3>(byte0(w) + byte1(w) + byte2(w));
        out[x] = truncFloat<false>(static_cast<float>(static_cast<i32>(a)) * fv);
    }
}

// Filter 9 on a row whose products thirdsTimesValue9 formed first: R takes the
// pixel's own product, G its right-hand neighbour's.
TINTWELL_VECTOR_CLONES void row9FromProducts(std::uint8_t *row, std::int32_t columns, const i32 *products, float fv,
                                             Finish finish)
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
void filter9(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const float fv = static_cast<float>(in.value);
    const bool checked = !isWithin(in.value, plainFilter9Limit);
    const int threads = threadsFor(g.rows);
    if (checked) {
#pragma omp parallel for schedule(dynamic, rowChunkFor(g.rows, threads)) num_threads(threads)
        for (std::int32_t y = 0; y < g.rows; ++y)
            row9<true>(g.row(y), g.columns - 1, fv, in.finish); // the last column fails the guard
        return;
    }
#pragma omp parallel num_threads(threads)
    {
        std::vector<i32> products(static_cast<std::size_t>(g.columns));
#pragma omp for schedule(dynamic, rowChunkFor(g.rows, threads))
        for (std::int32_t y = 0; y < g.rows; ++y) {
            std::uint8_t *row = g.row(y);
            thirdsTimesValue9(row, g.columns, fv, products.data());
            // The last column fails the guard.
            row9FromProducts(row, g.columns - 1, products.data(), fv, in.finish);
        }
    }
}

template <bool Checked>
TINTWELL_VECTOR_CLONES void oddRow21(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow, std::int32_t y,
              std::int32_t columns, u32 v, double tenth, Finish finish)
{
    const u32 yv = static_cast<u32>(y) * v;
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x), p = loadWord(pRow, x), q = loadWord(qRow, x);
        const i32 r = static_cast<i32>(byte0(w)), gg = static_cast<i32>(byte1(w)), b = static_cast<i32>(byte2(w));
        const i32 sr = r + static_cast<i32>(byte0(p)) - static_cast<i32>(byte0(q));
        const i32 sg = gg - static_cast<i32>(byte1(p)) + static_cast<i32>(byte1(q));
        const i32 sb = b - static_cast<i32>(byte2(p)) - static_cast<i32>(byte2(q));
        // Odd columns: R and G in integers, B = b - (value·0.1 + Sb); even
        // columns: each byte plus (S + value·0.1). Both B forms share the sum;
        // the column's parity picks by sign and by mask, without branches.
        const u32 oddMask = 0u - (static_cast<u32>(x) & 1u);
        const double sign = static_cast<double>(1 - 2 * (x & 1));
        const double innerB = static_cast<double>(sb) + tenth;
        const u32 bOut = static_cast<u32>(truncDouble<Checked>(static_cast<double>(b) + sign * innerB));
        const u32 rEven = static_cast<u32>(
            truncDouble<Checked>(static_cast<double>(r) + (static_cast<double>(sr) + tenth)));
        const u32 gEven = static_cast<u32>(
            truncDouble<Checked>(static_cast<double>(gg) + (static_cast<double>(sg) + tenth)));
        const u32 rOdd = static_cast<u32>(r) - static_cast<u32>(x) * v - static_cast<u32>(sr);
        const u32 gOdd = static_cast<u32>(gg) - (static_cast<u32>(sg) + yv);
        const Rgb c{(rOdd & oddMask) | (rEven & ~oddMask), (gOdd & oddMask) | (gEven & ~oddMask), bOut};
        storeWord(row, x, finish.apply(w, c));
    }
}

template <bool Checked>
TINTWELL_VECTOR_CLONES void evenRow21(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow, std::int32_t columns,
               double half, double threeHalves, Finish finish)
{
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x), p = loadWord(pRow, x), q = loadWord(qRow, x);
        const i32 sr = static_cast<i32>(byte0(w) + byte0(p)) - static_cast<i32>(byte0(q));
        const i32 sg = static_cast<i32>(byte1(w) + byte1(q)) - static_cast<i32>(byte1(p));
        const i32 sb = static_cast<i32>(byte2(w)) - static_cast<i32>(byte2(p) + byte2(q));
        const double t = (x & 1) != 0 ? threeHalves : half;
        const Rgb c{static_cast<u32>(truncDouble<Checked>(static_cast<double>(sr) + t)),
                    static_cast<u32>(truncDouble<Checked>(static_cast<double>(sg) + t)),
                    static_cast<u32>(truncDouble<Checked>(static_cast<double>(sb) + t))};
        storeWord(row, x, finish.apply(w, c));
    }
}

// Filter 21 in integers, for passes where every truncation has an exact
// integer form (integerTruncation): the same bytes as the double rows above.
TINTWELL_VECTOR_CLONES void oddRow21Integer(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow,
                                            std::int32_t y, std::int32_t columns, u32 v, IntegerTruncation tenth,
                                            IntegerTruncation minusTenth, Finish finish)
{
    const u32 yv = static_cast<u32>(y) * v;
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x), p = loadWord(pRow, x), q = loadWord(qRow, x);
        const i32 r = static_cast<i32>(byte0(w)), gg = static_cast<i32>(byte1(w)), b = static_cast<i32>(byte2(w));
        const i32 sr = r + static_cast<i32>(byte0(p)) - static_cast<i32>(byte0(q));
        const i32 sg = gg - static_cast<i32>(byte1(p)) + static_cast<i32>(byte1(q));
        const i32 sb = b - static_cast<i32>(byte2(p)) - static_cast<i32>(byte2(q));
        const u32 oddMask = 0u - (static_cast<u32>(x) & 1u);
        // b - (Sb + t) = (b - Sb) - t at odd columns, b + (Sb + t) at even ones.
        const u32 bOdd = static_cast<u32>(minusTenth(b - sb));
        const u32 bEven = static_cast<u32>(tenth(b + sb));
        const u32 rEven = static_cast<u32>(tenth(r + sr));
        const u32 gEven = static_cast<u32>(tenth(gg + sg));
        const u32 rOdd = static_cast<u32>(r) - static_cast<u32>(x) * v - static_cast<u32>(sr);
        const u32 gOdd = static_cast<u32>(gg) - (static_cast<u32>(sg) + yv);
        const Rgb c{(rOdd & oddMask) | (rEven & ~oddMask), (gOdd & oddMask) | (gEven & ~oddMask),
                    (bOdd & oddMask) | (bEven & ~oddMask)};
        storeWord(row, x, finish.apply(w, c));
    }
}

TINTWELL_VECTOR_CLONES void evenRow21Integer(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow,
                                             std::int32_t columns, IntegerTruncation half,
                                             IntegerTruncation threeHalves, Finish finish)
{
    for (std::int32_t x = 0; x < columns; ++x) {
        const u32 w = loadWord(row, x), p = loadWord(pRow, x), q = loadWord(qRow, x);
        const i32 sr = static_cast<i32>(byte0(w) + byte0(p)) - static_cast<i32>(byte0(q));
        const i32 sg = static_cast<i32>(byte1(w) + byte1(q)) - static_cast<i32>(byte1(p));
        const i32 sb = static_cast<i32>(byte2(w)) - static_cast<i32>(byte2(p) + byte2(q));
        const bool xOdd = (x & 1) != 0;
        const i32 threshold = xOdd ? threeHalves.threshold : half.threshold;
        const i32 above = xOdd ? threeHalves.above : half.above;
        const i32 below = xOdd ? threeHalves.below : half.below;
        const Rgb c{static_cast<u32>(sr + (sr >= threshold ? above : below)),
                    static_cast<u32>(sg + (sg >= threshold ? above : below)),
                    static_cast<u32>(sb + (sb >= threshold ? above : below))};
        storeWord(row, x, finish.apply(w, c));
    }
}

void filter21(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u32 v = static_cast<u32>(low32(in.value));
    const double dv = static_cast<double>(in.value);
    const double tenth = dv * 0.1, half = dv * 0.5, threeHalves = dv * 1.5;
    const bool checked = !isWithin(in.value, plainFilter21Limit);
    const auto half21 = integerTruncation(half), threeHalves21 = integerTruncation(threeHalves);
    const auto tenth21 = integerTruncation(tenth), minusTenth21 = integerTruncation(-tenth);
    const bool integer = half21 && threeHalves21 && tenth21 && minusTenth21;
    // Rows from height - 3 on fail the bounds guard and stay as they are.
    bandedPass(g, 2, [&](std::int32_t y, const auto &rowAt) {
        if (y >= g.rows - 3)
            return;
        std::uint8_t *row = g.row(y);
        const std::uint8_t *p = rowAt(y + 1);
        const std::uint8_t *q = rowAt(y + 2);
        if (integer) {
            if ((y & 1) != 0)
                oddRow21Integer(row, p, q, y, g.columns, v, *tenth21, *minusTenth21, in.finish);
            else
                evenRow21Integer(row, p, q, g.columns, *half21, *threeHalves21, in.finish);
        } else if ((y & 1) != 0) {
            if (checked)
                oddRow21<true>(row, p, q, y, g.columns, v, tenth, in.finish);
            else
                oddRow21<false>(row, p, q, y, g.columns, v, tenth, in.finish);
        } else {
            if (checked)
                evenRow21<true>(row, p, q, g.columns, half, threeHalves, in.finish);
            else
                evenRow21<false>(row, p, q, g.columns, half, threeHalves, in.finish);
        }
    });
}

} // namespace

bool runNeighbourFilter(std::uint32_t index, const PassInputs &in)
{
    switch (index) {
    case 6:
        filter6(in);
        return true;
    case 8:
        filter8(in);
        return true;
    case 9:
        filter9(in);
        return true;
    case 21:
        filter21(in);
        return true;
    default:
        return false;
    }
}

} // namespace tintwell::fast

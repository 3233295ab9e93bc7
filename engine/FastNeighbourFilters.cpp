// Specialised loops for the filters that read other pixels of the bitmap they
// rewrite. Each thread takes a contiguous band of rows; the rows just below a
// band, which the band reads before the next band rewrites them, are copied
// before any thread starts writing. The mirror filter runs in two halves.
#include "Arithmetic.h"
#include "FastDivision.h"
#include "FastFilters.h"
#include "FastRows21.h"
#include "FastTruncation.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

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

void filter6(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u32 v = static_cast<u32>(low32(in.value));
    // The last row and the last column fail the bounds guard and stay as they are.
    bandedPass(g, 1, [&](std::int32_t y, const auto &rowAt) {
        if (y < g.rows - 1)
            belowRightRowLanes(g.row(y), rowAt(y + 1), y, g.columns - 1, v, in.finish);
    });
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
            mirrorRowLanes(g.row(y), g.row(g.rows - 1 - y), x0, x1, g.columns - 1, v, in.finish);
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

// Filter 21 in 16-bit lanes, for passes where every truncation has an exact
// integer form (integerTruncation). A block of 16 pixels is 16 words; as 32
// 16-bit lanes each word gives a low half (its bytes 0 and 2: R and B) and a
// high half (bytes 1 and 3: G, and byte 3, which is computed but not stored).
// Every result byte is trunc(S + t) or S + constant for a sum S of the
// pixel's byte (coefficient 0, 1 or 2) and the bytes below it (±1), so each
// lane forms raw = σ·S + offset from bytes flipped by an xor and turns it
// into the stored byte with two per-lane constants (LaneTruncation, which
// also takes the offsets and the negative). The column parity, the channel
// and the signs become constant vectors of period two pixels: no per-pixel
// selects, and only the sums and the truncation's compare need 16 bits.
using Lanes16 = std::uint16_t __attribute__((vector_size(64)));
using SignedLanes16 = std::int16_t __attribute__((vector_size(64)));
using Words32 = std::uint32_t __attribute__((vector_size(64)));

constexpr std::int32_t blockPixels21 = 16;
constexpr int lanes21 = 32;
// How far ahead in the row two below the loops ask for memory, into the
// second-level cache. That row is the only one not in the cache yet (the
// other two were read as rows below before); without the hint the loop waits
// on it. Measured with one thread on 6000-pixel rows: no hint 15.7 ms, 4 KB
// ahead into the first-level cache 10.3 ms (which then evicts the rows the
// loop reads next), 4 KB ahead into the second-level cache 8 ms (AVX-512
// loop); 2 KB was too short, 8-24 KB no better.
constexpr std::ptrdiff_t prefetchBytes21 = 4096;

// The per-lane constants of one row parity, [half][lane] with half 0 the low
// and 1 the high lanes; lane 2k and 2k + 1 belong to pixel k of the block.
struct alignas(64) RowLanes21 {
    std::uint16_t wMask[2][lanes21];   // 0xFF where the pixel's own byte counts
    std::uint16_t wFlip[2][lanes21];   // 0xFF where a byte counts as 255 - byte
    std::uint16_t pFlip[2][lanes21];
    std::uint16_t qFlip[2][lanes21];
    std::uint16_t base[2][lanes21];
    std::int16_t threshold[2][lanes21];
    // Odd rows: -σ·x·value in the R lanes of odd columns, for the block at
    // x = 0, and its growth from one block to the next; the G lanes of odd
    // columns, which take -σ·y·value from the row.
    std::uint16_t columnTerm[lanes21];
    std::uint16_t columnStep[lanes21];
    std::uint16_t rowLanes[lanes21];
    // For the AVX-512 rows: σ times the coefficient of each byte of the block,
    // [input][half][byte] with input 0 the row, 1 and 2 the rows below, so that
    // a multiply-add of adjacent bytes gives raw - offset in each lane; the
    // high lane of byte 3 takes the row's byte 3 itself (weight 1, base 0,
    // no step), which the loop stores back.
    std::int8_t weights[3][2][4 * blockPixels21];
    std::uint16_t offset[2][lanes21];
};

// Always inlined, like block21: a 64-byte vector returned from a function
// compiled for one instruction set to a caller compiled for another would
// pass between different registers (or memory).
[[gnu::always_inline]] inline Lanes16 loadLanes(const std::uint16_t *lanes)
{
    Lanes16 v;
    std::memcpy(&v, lanes, sizeof v);
    return v;
}

struct BlockConstants21 {
    Lanes16 wMask[2], wFlip[2], pFlip[2], qFlip[2], base[2];
    SignedLanes16 threshold[2];
};

// One block: the words of the row and of the two rows below, to the words
// to store.
template <bool OddRow, bool Reverse>
[[gnu::always_inline]] inline Words32 block21(const Words32 &w32, const Words32 &p32, const Words32 &q32,
                                              const BlockConstants21 &k, const Lanes16 &columnTerm)
{
    const auto w = reinterpret_cast<Lanes16>(w32);
    const auto p = reinterpret_cast<Lanes16>(p32);
    const auto q = reinterpret_cast<Lanes16>(q32);
    Lanes16 wLow = (w & k.wMask[0]) ^ k.wFlip[0];
    Lanes16 wHigh = w >> 8;
    if constexpr (OddRow)
        wHigh &= k.wMask[1]; // even rows count the pixel's own byte in every lane
    wHigh ^= k.wFlip[1];
    if constexpr (OddRow) {
        wLow += wLow; // the pixel's byte counts twice (or not at all)
        wHigh += wHigh;
    }
    const Lanes16 rawLow = wLow + ((p & 0xFF) ^ k.pFlip[0]) + ((q & 0xFF) ^ k.qFlip[0]);
    const Lanes16 rawHigh = wHigh + ((p >> 8) ^ k.pFlip[1]) + ((q >> 8) ^ k.qFlip[1]);
    Lanes16 low = rawLow + k.base[0] + reinterpret_cast<Lanes16>(reinterpret_cast<SignedLanes16>(rawLow) > k.threshold[0]);
    const Lanes16 high =
        rawHigh + k.base[1] + reinterpret_cast<Lanes16>(reinterpret_cast<SignedLanes16>(rawHigh) > k.threshold[1]);
    if constexpr (OddRow)
        low += columnTerm;
    Words32 lowWords = reinterpret_cast<Words32>(low);
    if constexpr (Reverse)
        lowWords = (lowWords << 16) | (lowWords >> 16);
    const Words32 highWords = reinterpret_cast<Words32>(high << 8);
    return (lowWords & 0x00FF00FFu) | (highWords & 0x0000FF00u) | (w32 & 0xFF000000u);
}

template <bool OddRow, bool Reverse>
TINTWELL_VECTOR_CLONES void row21(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow,
                                  std::int32_t columns, const RowLanes21 &lanes, std::uint16_t rowTerm)
{
    BlockConstants21 k;
    for (int h = 0; h < 2; ++h) {
        k.wMask[h] = loadLanes(lanes.wMask[h]);
        k.wFlip[h] = loadLanes(lanes.wFlip[h]);
        k.pFlip[h] = loadLanes(lanes.pFlip[h]);
        k.qFlip[h] = loadLanes(lanes.qFlip[h]);
        k.base[h] = loadLanes(lanes.base[h]);
        std::memcpy(&k.threshold[h], lanes.threshold[h], sizeof k.threshold[h]);
    }
    if constexpr (OddRow)
        k.base[1] += loadLanes(lanes.rowLanes) & rowTerm;
    Lanes16 columnTerm = loadLanes(lanes.columnTerm);
    const Lanes16 columnStep = loadLanes(lanes.columnStep);
    constexpr std::size_t blockBytes = blockPixels21 * 4;
    std::int32_t x = 0;
    for (; x + blockPixels21 <= columns; x += blockPixels21) {
        Words32 w, p, q;
        std::uint8_t *out = row + static_cast<std::ptrdiff_t>(x) * 4;
        std::memcpy(&w, out, blockBytes);
        std::memcpy(&p, pRow + static_cast<std::ptrdiff_t>(x) * 4, blockBytes);
        std::memcpy(&q, qRow + static_cast<std::ptrdiff_t>(x) * 4, blockBytes);
        prefetchNear<2>(qRow, static_cast<std::ptrdiff_t>(x) * 4 + prefetchBytes21);
        const Words32 result = block21<OddRow, Reverse>(w, p, q, k, columnTerm);
        std::memcpy(out, &result, blockBytes);
        columnTerm += columnStep;
    }
    if (x < columns) {
        // The last, partial block through zero-padded copies.
        const auto bytes = static_cast<std::size_t>(columns - x) * 4;
        Words32 w = {}, p = {}, q = {};
        std::uint8_t *out = row + static_cast<std::ptrdiff_t>(x) * 4;
        std::memcpy(&w, out, bytes);
        std::memcpy(&p, pRow + static_cast<std::ptrdiff_t>(x) * 4, bytes);
        std::memcpy(&q, qRow + static_cast<std::ptrdiff_t>(x) * 4, bytes);
        const Words32 result = block21<OddRow, Reverse>(w, p, q, k, columnTerm);
        std::memcpy(out, &result, bytes);
    }
}

#if defined(__GNUC__) && defined(__x86_64__)
#define TINTWELL_ROWS21_AVX512 1

// Filter 21 with AVX-512 (BW) instructions the loop above cannot be written
// with: a multiply-add of unsigned bytes by signed weights (vpmaddubsw) picks
// each lane's byte, already multiplied by its signed coefficient, out of the
// word, so a lane's sum is three multiply-adds and two adds, with neither
// shifts, masks nor flips; the truncation's step is a masked subtract; the
// byte-3 lane carries the row's byte 3 through. Same bytes as row21.
struct Avx512Constants21 {
    __m512i weights[3][2], base[2], threshold[2];
};

#define TINTWELL_ROWS21_TARGET __attribute__((target("avx512f,avx512bw")))

template <bool OddRow, bool Reverse>
[[gnu::always_inline]] TINTWELL_ROWS21_TARGET inline __m512i block21Avx512(const __m512i &w, const __m512i &p,
                                                                       const __m512i &q, const Avx512Constants21 &k,
                                                                       __m512i &columnTerm, const __m512i &columnStep)
{
    __m512i half[2];
    for (int h = 0; h < 2; ++h) {
        const __m512i raw = _mm512_add_epi16(
            _mm512_add_epi16(_mm512_maddubs_epi16(w, k.weights[0][h]), _mm512_maddubs_epi16(p, k.weights[1][h])),
            _mm512_maddubs_epi16(q, k.weights[2][h]));
        const __mmask32 step = _mm512_cmpgt_epi16_mask(raw, k.threshold[h]);
        const __m512i sum = _mm512_add_epi16(raw, k.base[h]);
        half[h] = _mm512_mask_sub_epi16(sum, step, sum, _mm512_set1_epi16(1));
    }
    if constexpr (OddRow) {
        half[0] = _mm512_add_epi16(half[0], columnTerm);
        columnTerm = _mm512_add_epi16(columnTerm, columnStep);
    }
    if constexpr (Reverse)
        half[0] = _mm512_mask_rol_epi32(half[0], 0xFFFF, half[0], 16); // (the unmasked form warns in GCC 12)
    // Bytes 0 and 2 from the low lanes, 1 and 3 from the high ones.
    return _mm512_ternarylogic_epi32(_mm512_set1_epi32(0x00FF00FF), half[0], _mm512_slli_epi16(half[1], 8), 0xCA);
}

template <bool OddRow, bool Reverse>
TINTWELL_ROWS21_TARGET void row21Avx512(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow,
                                   std::int32_t columns, const RowLanes21 &lanes, std::uint16_t rowTerm)
{
    Avx512Constants21 k;
    for (int h = 0; h < 2; ++h) {
        for (int i = 0; i < 3; ++i)
            k.weights[i][h] = _mm512_loadu_si512(lanes.weights[i][h]);
        // The lanes sum raw - offset: move the constants along.
        const __m512i offset = _mm512_loadu_si512(lanes.offset[h]);
        k.base[h] = _mm512_add_epi16(_mm512_loadu_si512(lanes.base[h]), offset);
        k.threshold[h] = _mm512_sub_epi16(_mm512_loadu_si512(lanes.threshold[h]), offset);
    }
    if constexpr (OddRow)
        k.base[1] = _mm512_add_epi16(k.base[1], _mm512_and_si512(_mm512_loadu_si512(lanes.rowLanes),
                                                                 _mm512_set1_epi16(static_cast<short>(rowTerm))));
    __m512i columnTerm = _mm512_loadu_si512(lanes.columnTerm);
    const __m512i columnStep = _mm512_loadu_si512(lanes.columnStep);
    std::int32_t x = 0;
    for (; x + blockPixels21 <= columns; x += blockPixels21) {
        std::uint8_t *out = row + static_cast<std::ptrdiff_t>(x) * 4;
        const std::uint8_t *below = pRow + static_cast<std::ptrdiff_t>(x) * 4;
        const std::uint8_t *twoBelow = qRow + static_cast<std::ptrdiff_t>(x) * 4;
        _mm_prefetch(reinterpret_cast<const char *>(twoBelow + prefetchBytes21), _MM_HINT_T1);
        const __m512i w = _mm512_loadu_si512(out), p = _mm512_loadu_si512(below), q = _mm512_loadu_si512(twoBelow);
        _mm512_storeu_si512(out, block21Avx512<OddRow, Reverse>(w, p, q, k, columnTerm, columnStep));
    }
    if (x < columns) {
        // The last, partial block: masked loads and store, which touch no
        // memory past the row.
        const auto tail = static_cast<__mmask16>((1u << (columns - x)) - 1u);
        std::uint8_t *out = row + static_cast<std::ptrdiff_t>(x) * 4;
        const __m512i w = _mm512_maskz_loadu_epi32(tail, out);
        const __m512i p = _mm512_maskz_loadu_epi32(tail, pRow + static_cast<std::ptrdiff_t>(x) * 4);
        const __m512i q = _mm512_maskz_loadu_epi32(tail, qRow + static_cast<std::ptrdiff_t>(x) * 4);
        _mm512_mask_storeu_epi32(out, tail, block21Avx512<OddRow, Reverse>(w, p, q, k, columnTerm, columnStep));
    }
}

// Set by tests to run the portable rows where AVX-512 is available.
std::atomic<bool> portableRows21{false};

// Whether the processor runs row21Avx512 (checked once).
bool hasRows21Avx512()
{
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return has;
}
#endif

// The coefficients of the pixel's byte and of the bytes one and two rows below
// in the sum S of one channel, and the truncation that turns S into the result.
struct Term21 {
    int w;
    int p;
    int q;
    IntegerTruncation truncation;
};

// The lane constants of even or odd rows. `even` and `odd` are the
// truncations of even and odd columns (value·0.5 and ·1.5 in even rows,
// value·0.1 and -value·0.1 in odd rows). Empty if a truncation has no lane form.
std::optional<RowLanes21> rowLanes21(bool oddRow, IntegerTruncation even, IntegerTruncation odd, const Finish &finish,
                                     u32 v)
{
    const bool negative = finish.negativeMask != 0;
    const int sigma = negative ? -1 : 1;
    const u32 adds[3] = {finish.red, finish.green, finish.blue};
    const IntegerTruncation linear{0, 0, 0};
    RowLanes21 lanes{};
    for (int lane = 0; lane < lanes21; ++lane) {
        const int pixel = lane / 2;
        const bool xOdd = (pixel & 1) != 0;
        for (int h = 0; h < 2; ++h) {
            // Low lanes: R, B; high lanes: G, byte 3 (left at zero).
            const int channel = h == 0 ? (lane % 2 == 0 ? 0 : 2) : (lane % 2 == 0 ? 1 : 3);
            if (channel == 3) {
                lanes.weights[0][h][2 * lane + 1] = 1;
                lanes.threshold[h][lane] = INT16_MAX;
                continue;
            }
            // R = w + p - q, G = w - p + q, B = w - p - q in even rows and at
            // even columns of odd rows (the own byte twice there); at odd
            // columns of odd rows R = q - p - x·value, G = p - q - y·value and
            // B = p + q minus value·0.1.
            static constexpr int signs[3][2] = {{1, -1}, {-1, 1}, {-1, -1}};
            Term21 term{oddRow ? 2 : 1, signs[channel][0], signs[channel][1], xOdd ? odd : even};
            if (oddRow && xOdd) {
                term.w = 0;
                if (channel == 2) {
                    term.p = 1;
                    term.q = 1;
                } else {
                    term.p = -term.p;
                    term.q = -term.q;
                    term.truncation = linear;
                }
            }
            const int wScale = oddRow ? 2 : 1; // the loop doubles the own byte in odd rows
            const int aw = sigma * term.w, ap = sigma * term.p, aq = sigma * term.q;
            lanes.wMask[h][lane] = term.w != 0 ? 0xFF : 0;
            lanes.wFlip[h][lane] = aw < 0 ? 0xFF : 0;
            lanes.pFlip[h][lane] = ap < 0 ? 0xFF : 0;
            lanes.qFlip[h][lane] = aq < 0 ? 0xFF : 0;
            const std::int32_t offset = (aw < 0 ? 255 * wScale : 0) + (ap < 0 ? 255 : 0) + (aq < 0 ? 255 : 0);
            const std::int32_t rawMax = 255 * ((term.w != 0 ? wScale : 0) + 2);
            const auto form = laneTruncation(term.truncation, negative, offset, rawMax, adds[channel]);
            if (!form)
                return std::nullopt;
            lanes.base[h][lane] = form->base;
            lanes.threshold[h][lane] = form->threshold;
            lanes.offset[h][lane] = static_cast<std::uint16_t>(offset);
            // The channel's byte is byte `channel` of the pixel word: the low
            // or high byte of this lane.
            const int byteOfLane = 2 * lane + (channel == 1 ? 1 : 0);
            lanes.weights[0][h][byteOfLane] = static_cast<std::int8_t>(aw);
            lanes.weights[1][h][byteOfLane] = static_cast<std::int8_t>(ap);
            lanes.weights[2][h][byteOfLane] = static_cast<std::int8_t>(aq);
        }
        if (oddRow && xOdd) {
            // σ·(-x·value) for the pixel's column, modulo 2^16.
            const u32 perColumn = negative ? v : 0u - v;
            lanes.columnTerm[lane] = lane % 2 == 0 ? static_cast<std::uint16_t>(static_cast<u32>(pixel) * perColumn) : 0;
            lanes.columnStep[lane] =
                lane % 2 == 0 ? static_cast<std::uint16_t>(static_cast<u32>(blockPixels21) * perColumn) : 0;
            lanes.rowLanes[lane] = lane % 2 == 0 ? 0xFFFF : 0;
        }
    }
    return lanes;
}

template <bool Reverse>
void rows21(std::uint8_t *row, const std::uint8_t *p, const std::uint8_t *q, std::int32_t y, std::int32_t columns,
            const RowLanes21 &lanes, std::uint16_t rowTerm, bool avx512)
{
#ifdef TINTWELL_ROWS21_AVX512
    if (avx512) {
        if ((y & 1) != 0)
            row21Avx512<true, Reverse>(row, p, q, columns, lanes, rowTerm);
        else
            row21Avx512<false, Reverse>(row, p, q, columns, lanes, rowTerm);
        return;
    }
#else
    (void)avx512;
#endif
    if ((y & 1) != 0)
        row21<true, Reverse>(row, p, q, columns, lanes, rowTerm);
    else
        row21<false, Reverse>(row, p, q, columns, lanes, rowTerm);
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
    std::optional<RowLanes21> evenLanes, oddLanes;
    if (half21 && threeHalves21 && tenth21 && minusTenth21) {
        evenLanes = rowLanes21(false, *half21, *threeHalves21, in.finish, v);
        oddLanes = rowLanes21(true, *tenth21, *minusTenth21, in.finish, v);
    }
    const bool integer = evenLanes && oddLanes;
    const bool reverse = in.finish.shiftR != 0;
    const bool negative = in.finish.negativeMask != 0;
#ifdef TINTWELL_ROWS21_AVX512
    const bool avx512 = hasRows21Avx512() && !portableRows21.load(std::memory_order_relaxed);
#else
    const bool avx512 = false;
#endif
    // Rows from height - 3 on fail the bounds guard and stay as they are.
    bandedPass(g, 2, [&](std::int32_t y, const auto &rowAt) {
        if (y >= g.rows - 3)
            return;
        std::uint8_t *row = g.row(y);
        const std::uint8_t *p = rowAt(y + 1);
        const std::uint8_t *q = rowAt(y + 2);
        if (integer) {
            const RowLanes21 &lanes = (y & 1) != 0 ? *oddLanes : *evenLanes;
            // σ·(-y·value) for the G lanes of odd columns in odd rows.
            const u32 yv = static_cast<u32>(y) * v;
            const auto rowTerm = static_cast<std::uint16_t>(negative ? yv : 0u - yv);
            if (reverse)
                rows21<true>(row, p, q, y, g.columns, lanes, rowTerm, avx512);
            else
                rows21<false>(row, p, q, y, g.columns, lanes, rowTerm, avx512);
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

void setPortableRows21(bool portable)
{
#ifdef TINTWELL_ROWS21_AVX512
    portableRows21.store(portable, std::memory_order_relaxed);
#else
    (void)portable;
#endif
}

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

// Filter 21, which reads the two pixels below: rows in bands over threads,
// each row in 16-bit lanes where every truncation of the pass has an exact
// integer form, else in doubles a pixel at a time.
#include "Arithmetic.h"
#include "Filter21Avx512.h"
#include "Filter21Lanes.h"
#include "Lanes.h"
#include "Loops.h"
#include "Truncation.h"

#include <cstddef>
#include <cstring>
#include <optional>

namespace tintwell::fast {

namespace {

using namespace arith;
using lanes::I16;
using lanes::U16;
using lanes::U32;

// |value| up to which every conversion of filter 21 fits in 32 bits: at most
// 1020 + 1.5·|value|.
constexpr std::int64_t plainFilter21Limit = std::int64_t{1} << 30;

template <bool Checked>
void oddRow21(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow, std::int32_t y,
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
void evenRow21(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow, std::int32_t columns,
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
// Always inlined, like block21: a 64-byte vector returned from a function
// compiled for one instruction set to a caller compiled for another would
// pass between different registers (or memory).
[[gnu::always_inline]] inline U16 loadLanes(const std::uint16_t *constants)
{
    U16 v;
    std::memcpy(&v, constants, sizeof v);
    return v;
}

struct BlockConstants21 {
    U16 wMask[2], wFlip[2], pFlip[2], qFlip[2], base[2];
    I16 threshold[2];
};

// One block: the words of the row and of the two rows below, to the words
// to store.
template <bool OddRow, bool Reverse>
[[gnu::always_inline]] inline U32 block21(const U32 &w32, const U32 &p32, const U32 &q32,
                                              const BlockConstants21 &k, const U16 &columnTerm)
{
    const auto w = reinterpret_cast<U16>(w32);
    const auto p = reinterpret_cast<U16>(p32);
    const auto q = reinterpret_cast<U16>(q32);
    U16 wLow = (w & k.wMask[0]) ^ k.wFlip[0];
    U16 wHigh = w >> 8;
    if constexpr (OddRow)
        wHigh &= k.wMask[1]; // even rows count the pixel's own byte in every lane
    wHigh ^= k.wFlip[1];
    if constexpr (OddRow) {
        wLow += wLow; // the pixel's byte counts twice (or not at all)
        wHigh += wHigh;
    }
    const U16 rawLow = wLow + ((p & 0xFF) ^ k.pFlip[0]) + ((q & 0xFF) ^ k.qFlip[0]);
    const U16 rawHigh = wHigh + ((p >> 8) ^ k.pFlip[1]) + ((q >> 8) ^ k.qFlip[1]);
    U16 low = rawLow + k.base[0] + reinterpret_cast<U16>(reinterpret_cast<I16>(rawLow) > k.threshold[0]);
    const U16 high =
        rawHigh + k.base[1] + reinterpret_cast<U16>(reinterpret_cast<I16>(rawHigh) > k.threshold[1]);
    if constexpr (OddRow)
        low += columnTerm;
    U32 lowWords = reinterpret_cast<U32>(low);
    if constexpr (Reverse)
        lowWords = (lowWords << 16) | (lowWords >> 16);
    const U32 highWords = reinterpret_cast<U32>(high << 8);
    return (lowWords & 0x00FF00FFu) | (highWords & 0x0000FF00u) | (w32 & 0xFF000000u);
}

template <bool OddRow, bool Reverse>
void row21(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow,
                                  std::int32_t columns, const RowLanes21 &constants, std::uint16_t rowTerm)
{
    BlockConstants21 k;
    for (int h = 0; h < 2; ++h) {
        k.wMask[h] = loadLanes(constants.wMask[h]);
        k.wFlip[h] = loadLanes(constants.wFlip[h]);
        k.pFlip[h] = loadLanes(constants.pFlip[h]);
        k.qFlip[h] = loadLanes(constants.qFlip[h]);
        k.base[h] = loadLanes(constants.base[h]);
        std::memcpy(&k.threshold[h], constants.threshold[h], sizeof k.threshold[h]);
    }
    if constexpr (OddRow)
        k.base[1] += loadLanes(constants.rowLanes) & rowTerm;
    U16 columnTerm = loadLanes(constants.columnTerm);
    const U16 columnStep = loadLanes(constants.columnStep);
    constexpr std::size_t blockBytes = lanes::blockPixels * 4;
    std::int32_t x = 0;
    for (; x + lanes::blockPixels <= columns; x += lanes::blockPixels) {
        U32 w, p, q;
        std::uint8_t *out = row + static_cast<std::ptrdiff_t>(x) * 4;
        std::memcpy(&w, out, blockBytes);
        std::memcpy(&p, pRow + static_cast<std::ptrdiff_t>(x) * 4, blockBytes);
        std::memcpy(&q, qRow + static_cast<std::ptrdiff_t>(x) * 4, blockBytes);
        prefetchNear<2>(qRow, static_cast<std::ptrdiff_t>(x) * 4 + prefetchBytes21);
        const U32 result = block21<OddRow, Reverse>(w, p, q, k, columnTerm);
        std::memcpy(out, &result, blockBytes);
        columnTerm += columnStep;
    }
    if (x < columns) {
        // The last, partial block through zero-padded copies.
        const auto bytes = static_cast<std::size_t>(columns - x) * 4;
        U32 w = {}, p = {}, q = {};
        std::uint8_t *out = row + static_cast<std::ptrdiff_t>(x) * 4;
        std::memcpy(&w, out, bytes);
        std::memcpy(&p, pRow + static_cast<std::ptrdiff_t>(x) * 4, bytes);
        std::memcpy(&q, qRow + static_cast<std::ptrdiff_t>(x) * 4, bytes);
        const U32 result = block21<OddRow, Reverse>(w, p, q, k, columnTerm);
        std::memcpy(out, &result, bytes);
    }
}

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
    RowLanes21 constants{};
    for (int lane = 0; lane < lanes::laneCount; ++lane) {
        const int pixel = lane / 2;
        const bool xOdd = (pixel & 1) != 0;
        for (int h = 0; h < 2; ++h) {
            // Low lanes: R, B; high lanes: G, byte 3 (left at zero).
            const int channel = h == 0 ? (lane % 2 == 0 ? 0 : 2) : (lane % 2 == 0 ? 1 : 3);
            if (channel == 3) {
                constants.weights[0][h][2 * lane + 1] = 1;
                constants.threshold[h][lane] = INT16_MAX;
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
            constants.wMask[h][lane] = term.w != 0 ? 0xFF : 0;
            constants.wFlip[h][lane] = aw < 0 ? 0xFF : 0;
            constants.pFlip[h][lane] = ap < 0 ? 0xFF : 0;
            constants.qFlip[h][lane] = aq < 0 ? 0xFF : 0;
            const std::int32_t offset = (aw < 0 ? 255 * wScale : 0) + (ap < 0 ? 255 : 0) + (aq < 0 ? 255 : 0);
            const std::int32_t rawMax = 255 * ((term.w != 0 ? wScale : 0) + 2);
            const auto form = laneTruncation(term.truncation, negative, offset, rawMax, adds[channel]);
            if (!form)
                return std::nullopt;
            constants.base[h][lane] = form->base;
            constants.threshold[h][lane] = form->threshold;
            constants.offset[h][lane] = static_cast<std::uint16_t>(offset);
            // The channel's byte is byte `channel` of the pixel word: the low
            // or high byte of this lane.
            const int byteOfLane = 2 * lane + (channel == 1 ? 1 : 0);
            constants.weights[0][h][byteOfLane] = static_cast<std::int8_t>(aw);
            constants.weights[1][h][byteOfLane] = static_cast<std::int8_t>(ap);
            constants.weights[2][h][byteOfLane] = static_cast<std::int8_t>(aq);
        }
        if (oddRow && xOdd) {
            // σ·(-x·value) for the pixel's column, modulo 2^16.
            const u32 perColumn = negative ? v : 0u - v;
            constants.columnTerm[lane] = lane % 2 == 0 ? static_cast<std::uint16_t>(static_cast<u32>(pixel) * perColumn) : 0;
            constants.columnStep[lane] =
                lane % 2 == 0 ? static_cast<std::uint16_t>(static_cast<u32>(lanes::blockPixels) * perColumn) : 0;
            constants.rowLanes[lane] = lane % 2 == 0 ? 0xFFFF : 0;
        }
    }
    return constants;
}

// One row in lanes, the AVX-512 rows in the AVX-512 copy of the loop.
template <bool Reverse, class Tag>
void rows21(Tag, std::uint8_t *row, const std::uint8_t *p, const std::uint8_t *q, std::int32_t y,
            std::int32_t columns, const RowLanes21 &constants, std::uint16_t rowTerm)
{
#ifdef TINTWELL_TARGET_COPIES
    if constexpr (Tag::value == Target::Avx512) {
        if ((y & 1) != 0)
            row21Avx512<true, Reverse>(row, p, q, columns, constants, rowTerm);
        else
            row21Avx512<false, Reverse>(row, p, q, columns, constants, rowTerm);
        return;
    }
#endif
    if ((y & 1) != 0)
        row21<true, Reverse>(row, p, q, columns, constants, rowTerm);
    else
        row21<false, Reverse>(row, p, q, columns, constants, rowTerm);
}

} // namespace

bool filter21(const PassInputs &in)
{
    const PassGeometry &g = in.geometry;
    const u32 v = static_cast<u32>(low32(in.value));
    const double dv = static_cast<double>(in.value);
    const double tenth = dv * 0.1, half = dv * 0.5, threeHalves = dv * 1.5;
    const bool checked = !(in.value >= -plainFilter21Limit && in.value <= plainFilter21Limit);
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
    // Rows from height - 3 on fail the bounds guard and stay as they are.
    bandedPass(g, 2, [&](std::int32_t y, const auto &rowAt) {
        if (y >= g.rows - 3)
            return;
        std::uint8_t *row = g.row(y);
        const std::uint8_t *p = rowAt(y + 1);
        const std::uint8_t *q = rowAt(y + 2);
        onTarget([&](auto target) {
            if (integer) {
                const RowLanes21 &constants = (y & 1) != 0 ? *oddLanes : *evenLanes;
                // σ·(-y·value) for the G lanes of odd columns in odd rows.
                const u32 yv = static_cast<u32>(y) * v;
                const auto rowTerm = static_cast<std::uint16_t>(negative ? yv : 0u - yv);
                if (reverse)
                    rows21<true>(target, row, p, q, y, g.columns, constants, rowTerm);
                else
                    rows21<false>(target, row, p, q, y, g.columns, constants, rowTerm);
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
    });
    return true;
}

} // namespace tintwell::fast

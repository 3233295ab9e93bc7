// Sixteen pixels at a time in 16-bit lanes: the pixel words of a block split
// into one vector of R and B and one of G and A, the formula on those, and
// the offsets, negative and reverse applied to the packed bytes. Only the low
// 8 bits of a result are stored, so sums and products may wrap in 16 bits.
#pragma once

#include "Division.h"
#include "PassKit.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Everything that takes or returns the 64-byte vectors is inlined into the
// row loop it serves, also in unoptimised builds: the loop is compiled once
// per target (Targets.h), and a call between code compiled for different ones
// would pass the vectors in different places.
// (Clang builds no per-instruction-set copies and takes no attribute in the
// place the lambdas carry it.)
#if defined(__clang__)
#define TINTWELL_LANE_INLINE
#else
#define TINTWELL_LANE_INLINE __attribute__((always_inline))
#endif

namespace tintwell::fast::lanes {

using U8 = std::uint8_t __attribute__((vector_size(64)));
using U16 = std::uint16_t __attribute__((vector_size(64)));
using I16 = std::int16_t __attribute__((vector_size(64)));
using U32 = std::uint32_t __attribute__((vector_size(64)));
// The same 64 bytes as 16 pixels' 32-bit numbers, for per-pixel quotients.
using I32 = std::int32_t __attribute__((vector_size(64)));
using F32 = float __attribute__((vector_size(64)));

inline constexpr std::int32_t blockPixels = 16;
// 16-bit lanes in a block: two a pixel.
inline constexpr int laneCount = 2 * blockPixels;
// How far ahead of the block being read the row is prefetched.
inline constexpr std::ptrdiff_t rowPrefetchBytes = 4096;

// A block of pixels as the formula sees it: in each pixel's pair of lanes,
// rb holds R (even lane) and B (odd lane), ga holds G and A, each 0..255.
struct Lanes {
    U16 rb;
    U16 ga;
};

// The value of each pixel's odd lane moved into its even lane (odd lanes 0),
// and the other way round.
TINTWELL_LANE_INLINE inline U16 oddToEven(U16 v) { return reinterpret_cast<U16>(reinterpret_cast<U32>(v) >> 16); }
TINTWELL_LANE_INLINE inline U16 evenToOdd(U16 v) { return reinterpret_cast<U16>(reinterpret_cast<U32>(v) << 16); }

// The even lanes of `even` with the odd lanes of `odd`.
TINTWELL_LANE_INLINE inline U16 evenOdd(U16 even, U16 odd)
{
    return reinterpret_cast<U16>((reinterpret_cast<U32>(even) & 0xFFFFu) | (reinterpret_cast<U32>(odd) & 0xFFFF0000u));
}

// The even lanes divided by a SmallDivisor's multiplier and shift, in 32 bits
// (exact for values below 2^11); odd lanes of the result are 0.
TINTWELL_LANE_INLINE inline U16 divideEven(U16 v, std::uint32_t multiplier, std::uint32_t shift)
{
    const U32 n = reinterpret_cast<U32>(v) & 0xFFFFu;
    return reinterpret_cast<U16>((n * multiplier) >> shift);
}

// x / 3 for bytes (the low 8 bits of each lane), the step of the kernel's
// running third; x·171 stays below 2^16.
TINTWELL_LANE_INLINE inline U16 thirdOfBytes(U16 v) { return ((v & 0xFFu) * 171u) >> 9; }

// runningThird in each lane: t <- ((t + o) mod 256) / 3 for a, b, c in turn.
TINTWELL_LANE_INLINE inline U16 runningThirds(U16 a, U16 b, U16 c)
{
    const U16 t = thirdOfBytes(a);
    return thirdOfBytes(thirdOfBytes(t + b) + c);
}

// Even lanes divided by a small divisor fixed at compile time (values below 2^11).
template <std::uint32_t D>
TINTWELL_LANE_INLINE inline U16 divideEvenBy(U16 v)
{
    constexpr SmallDivisor divisor(D);
    return divideEven(v, divisor.multiplier, divisor.shift);
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

// The column of each of 16 pixels, x0 + 0 ... x0 + 15, one 32-bit lane each.
TINTWELL_LANE_INLINE inline I32 pixelColumnsFrom(std::int32_t x0)
{
    const I32 steps = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    return x0 + steps;
}

// smallQuotient in each lane: n / d and n % d for 0 <= n < 2^21 and
// 1 <= d < 2^30, given inverse == 1.0f / d. The float estimate of the quotient
// is within one of the true one, so one correction either way makes it exact.
TINTWELL_LANE_INLINE inline I32 smallQuotients(I32 n, I32 d, F32 inverse)
{
    const I32 q = __builtin_convertvector(__builtin_convertvector(n, F32) * inverse, I32);
    const I32 r = n - q * d;
    return q - (r >= d) + (r < 0); // comparisons give -1 where true
}
TINTWELL_LANE_INLINE inline I32 smallRemainders(I32 n, I32 d, F32 inverse)
{
    const I32 q = __builtin_convertvector(__builtin_convertvector(n, F32) * inverse, I32);
    const I32 r = n - q * d;
    return r - (d & (r >= d)) + (d & (r < 0));
}

// x / d and x % d for the 16 columns of one block after another, for a
// divisor d >= 16: within a block the remainder wraps at most once, so the
// quotient and remainder of the block's first column are carried from block
// to block instead of divided.
struct BlockQuotients {
    std::int32_t divisor;
    std::int32_t quotient;  // of the block's first column
    std::int32_t remainder; // likewise

    BlockQuotients(std::int32_t x0, std::int32_t d) : divisor(d), quotient(x0 / d), remainder(x0 % d) {}

    TINTWELL_LANE_INLINE I32 quotients() const
    {
        const I32 r = pixelColumnsFrom(remainder);
        return quotient - (r >= divisor); // comparisons give -1 where true
    }
    TINTWELL_LANE_INLINE I32 remainders() const
    {
        const I32 r = pixelColumnsFrom(remainder);
        return r - (divisor & (r >= divisor));
    }
    void next()
    {
        remainder += blockPixels;
        if (remainder >= divisor) {
            remainder -= divisor;
            ++quotient;
        }
    }
};
inline constexpr std::int32_t smallestBlockDivisor = 16;

// 16 consecutive 16-bit values of a table, one 32-bit lane each.
TINTWELL_LANE_INLINE inline U32 widenHalves(const std::uint16_t *p)
{
    using Halves = std::uint16_t __attribute__((vector_size(32)));
    Halves h;
    std::memcpy(&h, p, sizeof h);
    return __builtin_convertvector(h, U32);
}

// 16 consecutive values of a table, one 32-bit lane each.
template <class T>
TINTWELL_LANE_INLINE inline T loadBlock(const void *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The column of each lane's pixel, x0 + 0, 0, 1, 1, ..., 15, 15, modulo 2^16:
// enough for formulas that only add and multiply it.
TINTWELL_LANE_INLINE inline U16 columnsFrom(std::int32_t x0)
{
    const U16 steps = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15};
    return static_cast<std::uint16_t>(x0) + steps;
}

// Finish in byte form: the negative as an xor of bytes 0-2 and the offsets
// (1 - offset with the negative) as a byte-wise add, placed where the reverse
// puts each channel. Byte 3 passes through.
struct LaneFinish {
    std::uint32_t mask = 0;
    std::uint32_t add = 0;
    bool reverse = false;

    explicit LaneFinish(const Finish &f)
        : mask(f.negativeMask & 0x00FFFFFFu),
          add(((f.red & 0xFFu) << f.shiftR) | ((f.green & 0xFFu) << 8) | ((f.blue & 0xFFu) << f.shiftB)),
          reverse(f.shiftR != 0)
    {
    }
};

template <bool Reverse>
TINTWELL_LANE_INLINE inline U32 finishBlock(U32 words, Lanes c, std::uint32_t mask, std::uint32_t add)
{
    U32 rb = reinterpret_cast<U32>(c.rb);
    if constexpr (Reverse)
        rb = (rb >> 16) | (rb << 16);
    const U32 packed = (rb & 0x00FF00FFu) | ((reinterpret_cast<U32>(c.ga) << 8) & 0x0000FF00u) | (words & 0xFF000000u);
    const U8 bytes = reinterpret_cast<U8>(packed ^ mask) + reinterpret_cast<U8>(U32{} + add);
    return reinterpret_cast<U32>(bytes);
}

TINTWELL_LANE_INLINE inline Lanes splitBlock(U32 words)
{
    const U16 halves = reinterpret_cast<U16>(words);
    return {halves & 0xFFu, halves >> 8};
}

// One row through a block formula f(Lanes, x0) -> Lanes. `in` and `out` are
// the same row for a pass in place; a block is loaded whole before it is
// stored, so either works. The last partial block goes through a small buffer.
//
// Columns [first, last) of a row; the formula gets each block's first column.
template <bool Reverse, class Formula>
void laneRow(const std::uint8_t *in, std::uint8_t *out, std::int32_t first, std::int32_t last,
                                    Formula formula, std::uint32_t mask, std::uint32_t add)
{
    std::int32_t x = first;
    for (; x + blockPixels <= last; x += blockPixels) {
        // The row a page ahead: with a second stream (a table, a neighbour
        // row) beside the row, the hardware's own prefetch falls behind.
        prefetchNear<3>(in, static_cast<std::ptrdiff_t>(x) * 4 + rowPrefetchBytes);
        U32 words;
        std::memcpy(&words, in + static_cast<std::ptrdiff_t>(x) * 4, sizeof words);
        const U32 result = finishBlock<Reverse>(words, formula(splitBlock(words), x), mask, add);
        std::memcpy(out + static_cast<std::ptrdiff_t>(x) * 4, &result, sizeof result);
    }
    if (x < last) {
        const std::size_t bytes = static_cast<std::size_t>(last - x) * 4;
        U32 words = {};
        std::memcpy(&words, in + static_cast<std::ptrdiff_t>(x) * 4, bytes);
        const U32 result = finishBlock<Reverse>(words, formula(splitBlock(words), x), mask, add);
        std::memcpy(out + static_cast<std::ptrdiff_t>(x) * 4, &result, bytes);
    }
}

// pixelPass for block formulas: rowSetup(y) returns the row's f(Lanes, x0).
template <class RowSetup>
void lanePass(const PassGeometry &g, const Finish &finish, const RowSetup &rowSetup)
{
    const LaneFinish f(finish);
    const int threads = threadsFor(g.rows);
#pragma omp parallel for schedule(dynamic, rowChunkFor(g.rows, threads)) num_threads(threads)
    for (std::int32_t y = 0; y < g.rows; ++y) {
        const std::uint8_t *in = g.source ? g.sourceRow(y) : g.row(y);
        onTarget([&](auto) {
            if (f.reverse)
                laneRow<true>(in, g.row(y), 0, g.columns, rowSetup(y), f.mask, f.add);
            else
                laneRow<false>(in, g.row(y), 0, g.columns, rowSetup(y), f.mask, f.add);
        });
        if (g.source)
            copyRowPadding(g, y);
    }
}

} // namespace tintwell::fast::lanes

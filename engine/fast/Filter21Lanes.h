// The per-lane constants of filter 21's block loops, which the portable rows
// (Filter21.cpp) and the AVX-512 rows (Filter21Avx512.h) share.
#pragma once

#include "Lanes.h"

#include <cstddef>
#include <cstdint>

namespace tintwell::fast {

// How far ahead in the row two below the loops ask for memory, into the
// second-level cache. That row is the only one not in the cache yet (the
// other two were read as rows below before); without the hint the loop waits
// on it. Measured with one thread on 6000-pixel rows: no hint 15.7 ms, 4 KB
// ahead into the first-level cache 10.3 ms (which then evicts the rows the
// loop reads next), 4 KB ahead into the second-level cache 8 ms (AVX-512
// loop); 2 KB was too short, 8-24 KB no better.
inline constexpr std::ptrdiff_t prefetchBytes21 = 4096;

// The per-lane constants of one row parity, [half][lane] with half 0 the low
// and 1 the high lanes; lane 2k and 2k + 1 belong to pixel k of the block.
struct alignas(64) RowLanes21 {
    std::uint16_t wMask[2][lanes::laneCount];   // 0xFF where the pixel's own byte counts
    std::uint16_t wFlip[2][lanes::laneCount];   // 0xFF where a byte counts as 255 - byte
    std::uint16_t pFlip[2][lanes::laneCount];
    std::uint16_t qFlip[2][lanes::laneCount];
    std::uint16_t base[2][lanes::laneCount];
    std::int16_t threshold[2][lanes::laneCount];
    // Odd rows: -σ·x·value in the R lanes of odd columns, for the block at
    // x = 0, and its growth from one block to the next; the G lanes of odd
    // columns, which take -σ·y·value from the row.
    std::uint16_t columnTerm[lanes::laneCount];
    std::uint16_t columnStep[lanes::laneCount];
    std::uint16_t rowLanes[lanes::laneCount];
    // For the AVX-512 rows: σ times the coefficient of each byte of the block,
    // [input][half][byte] with input 0 the row, 1 and 2 the rows below, so that
    // a multiply-add of adjacent bytes gives raw - offset in each lane; the
    // high lane of byte 3 takes the row's byte 3 itself (weight 1, base 0,
    // no step), which the loop stores back.
    std::int8_t weights[3][2][4 * lanes::blockPixels];
    std::uint16_t offset[2][lanes::laneCount];
};

} // namespace tintwell::fast

// The loops specialised per filter that the fast pass dispatches to, grouped by
// what their formulas read: the pixel alone, coordinate quotients, or neighbours.
#pragma once

#include "FastPassKit.h"

#include <cstdint>

namespace tintwell::fast {

// Everything a specialised loop needs for one pass.
struct PassInputs {
    PassGeometry geometry;
    Finish finish;
    std::int64_t value = 0;
};

// Filters whose formula is a few byte operations: 0-5, 7, 16, 19, 20, 22-24;
// any index above 24 is the identity. Returns false for an index it does not run.
bool runSimpleFilter(std::uint32_t index, const PassInputs &in);

// Filters whose formulas are sums, products and small quotients of bytes, the
// value and the coordinates, in 16-bit lanes: 0-5, 7, 16, 19, 20, 22-24.
// Returns false for an index it does not run.
bool runLaneFilter(std::uint32_t index, const PassInputs &in);

// Pixels 0..columns-1 of row y of filter 6, which adds the pixel below and to
// the right (column x + 1 of `below`, as it was before the pass).
void belowRightRowLanes(std::uint8_t *row, const std::uint8_t *below, std::int32_t y, std::int32_t columns,
                        std::uint32_t value, const Finish &finish);

// Pixels x0..x1-1 of a row of the mirror filter (8) in 16-bit lanes; the
// mirror of column x is column last - x of mirrorRow, which may be the row
// itself as long as the range and its mirrors share at most one pixel.
void mirrorRowLanes(std::uint8_t *row, const std::uint8_t *mirrorRow, std::int32_t x0, std::int32_t x1,
                    std::int32_t last, std::uint32_t value, const Finish &finish);

// Filters 12, 14, 15 and 17 in 16-bit lanes, their quotients and remainders
// in 32-bit steps. Returns false for another index, or for a value whose
// quotients the lanes do not take (filter 14); the caller then tries the
// other loops.
bool runLaneQuotientFilter(std::uint32_t index, const PassInputs &in);

// Filters with coordinate quotients or per-value tables: 10, 11, 13, 18, and
// 14 for the values its lane loop does not take.
// Returns false when the value is too large for the hoisted quotients to be
// exact; the caller then takes the per-pixel path.
bool runCoordinateFilter(std::uint32_t index, const PassInputs &in);

// Filters that read other pixels of the bitmap being rewritten: 6, 8, 9, 21.
// Needs neighbour offsets that fit in 32 bits. Returns false for other indices.
bool runNeighbourFilter(std::uint32_t index, const PassInputs &in);

} // namespace tintwell::fast

// The four formulas that also read other pixels of the bitmap being rewritten:
// 6 (one right, one down), 8 (mirror through the centre), 9 (one right) and
// 21 (the two below).
#pragma once

#include <cstdint>

namespace tintwell {

// Whether `index` names one of the neighbour formulas.
constexpr bool isNeighbourFilter(std::uint32_t index)
{
    return index == 6 || index == 8 || index == 9 || index == 21;
}

// Rewrites bytes 0..2 of `p` with neighbour formula `index`, reading the
// geometry from the pass context. Returns false, leaving the pixel untouched,
// when the formula's bounds guard fails.
bool applyNeighbourFilter(std::uint32_t index, std::uint8_t *data, std::uint8_t *p, std::int32_t x,
                          std::int32_t y, std::int64_t value);

// The address of the pixel at column c and row r: each product taken in
// wrapping 32-bit arithmetic and widened with its sign before the sum.
std::uint8_t *neighbourAt(std::uint8_t *data, std::int32_t c, std::int32_t r);

} // namespace tintwell

// The twenty-one formulas that read only the visited pixel, its position and
// the control value (every index but 6, 8, 9 and 21).
#pragma once

#include <cstdint>

namespace tintwell {

// Rewrites bytes 0..2 of `p` with formula `index` (0..24, not 6, 8, 9, 21);
// any other index leaves the pixel as it is.
void applyPixelFilter(std::uint32_t index, std::uint8_t *p, std::int32_t x, std::int32_t y,
                      std::int64_t value);

// k of filters 3 to 5: value * 0.2 in single precision, truncated.
std::int32_t fifthOf(std::int64_t value);

} // namespace tintwell

// The pass context: eight process-wide integers that the render path fills
// before each pass and the kernel reads while the pass runs.
#pragma once

#include <cstdint>

namespace tintwell {

extern std::int32_t current_filter; // selected filter index; outside 0..24 is the identity
extern std::int32_t width;          // bitmap width in whole pixels
extern std::int32_t height;         // bitmap height in whole pixels
extern std::int32_t bytesPerRow;    // byte distance from one row to the next
extern std::int32_t bytesPerSample; // byte distance from one pixel to the next
extern std::int32_t red;            // offset added to byte 0 after the formula
extern std::int32_t green;          // offset added to byte 1 after the formula
extern std::int32_t blue;           // offset added to byte 2 after the formula

// Number of filter formulas; indices 0 .. filterCount - 1 select one.
inline constexpr int filterCount = 25;

} // namespace tintwell

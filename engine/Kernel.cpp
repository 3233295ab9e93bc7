#include "Kernel.h"

#include "Arithmetic.h"
#include "NeighbourFilters.h"
#include "PassContext.h"
#include "PixelFilters.h"

#include <utility>

namespace tintwell {

using namespace arith;

void changePixel(std::uint8_t *data, bool negative, bool reverse, std::int32_t x, std::int32_t y,
                 std::uint8_t *pixel, std::int64_t value)
{
    const auto index = static_cast<std::uint32_t>(current_filter);
    if (isNeighbourFilter(index)) {
        if (!applyNeighbourFilter(index, data, pixel, x, y, value))
            return; // a failed bounds guard leaves the whole pixel alone
    } else {
        applyPixelFilter(index, pixel, x, y, value);
    }

    pixel[0] = byte(add32(pixel[0], red));
    pixel[1] = byte(add32(pixel[1], green));
    pixel[2] = byte(add32(pixel[2], blue));
    if (negative) {
        pixel[0] = byte(sub32(0, pixel[0]));
        pixel[1] = byte(sub32(0, pixel[1]));
        pixel[2] = byte(sub32(0, pixel[2]));
    }
    if (reverse)
        std::swap(pixel[0], pixel[2]);
}

} // namespace tintwell

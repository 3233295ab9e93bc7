#include "FilterPass.h"

#include "fast/FastPass.h"
#include "Kernel.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

namespace tintwell {

namespace {

constexpr double maxExtent = std::numeric_limits<std::int32_t>::max();

bool isUsableExtent(double d)
{
    return std::isfinite(d) && d >= 0 && d <= maxExtent;
}

} // namespace

bool isPassable(const BitmapView &view)
{
    if (view.data == nullptr || view.bytesPerSample < 3)
        return false;
    if (!isUsableExtent(view.size.width) || !isUsableExtent(view.size.height))
        return false;
    const auto columns = static_cast<std::int64_t>(std::floor(view.size.width));
    return static_cast<std::int64_t>(view.bytesPerRow) >= columns * view.bytesPerSample;
}

std::int32_t passColumns(const BitmapView &view)
{
    return isPassable(view) ? static_cast<std::int32_t>(std::floor(view.size.width)) : 0;
}

std::int32_t passRows(const BitmapView &view)
{
    return isPassable(view) ? static_cast<std::int32_t>(std::floor(view.size.height)) : 0;
}

void filterBitmapReference(const BitmapView &view, std::int64_t value, bool negative, bool reverse)
{
    const std::int32_t columns = passColumns(view);
    const std::int32_t rows = passRows(view);
    for (std::int32_t y = 0; y < rows; ++y) {
        std::uint8_t *pixel = view.data + static_cast<std::ptrdiff_t>(y) * view.bytesPerRow;
        for (std::int32_t x = 0; x < columns; ++x, pixel += view.bytesPerSample)
            changePixel(view.data, negative, reverse, x, y, pixel, value);
    }
}

void filterBitmap(const BitmapView &view, std::int64_t value, bool negative, bool reverse)
{
    if (!filterBitmapFast(view, value, negative, reverse))
        filterBitmapReference(view, value, negative, reverse);
}

} // namespace tintwell

namespace tintwell {

void filterBitmapFrom(const std::uint8_t *source, const BitmapView &view, std::int64_t value, bool negative,
                      bool reverse)
{
    if (source == nullptr || source == view.data) {
        filterBitmap(view, value, negative, reverse);
        return;
    }
    if (filterBitmapFast(view, value, negative, reverse, source))
        return;
    const std::int32_t rows = passRows(view);
    if (rows > 0 && view.bytesPerRow > 0)
        std::memcpy(view.data, source, static_cast<std::size_t>(rows) * static_cast<std::size_t>(view.bytesPerRow));
    filterBitmapReference(view, value, negative, reverse);
}

} // namespace tintwell

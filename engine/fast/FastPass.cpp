#include "FastPass.h"

#include "FilterPass.h"
#include "Kernel.h"
#include "NeighbourFilters.h"
#include "PassContext.h"
#include "Routes.h"

#include <climits>
#include <cstdint>

namespace tintwell {

namespace {

// Extents up to which the hoisted quotients and conversions are exact.
constexpr std::int32_t maxExtent = 1 << 20;

// The geometry the specialised loops take: four-byte pixels, and the pass
// context agreeing with the view's whole-pixel size and row stride.
bool hasFastGeometry(const BitmapView &view, std::int32_t columns, std::int32_t rows)
{
    return columns > 0 && rows > 0 && columns < maxExtent && rows < maxExtent && view.bytesPerSample == 4 &&
           bytesPerSample == 4 && width == columns && height == rows && bytesPerRow == view.bytesPerRow;
}

// Whether every neighbour offset, row·bytesPerRow, fits in 32 bits, so that
// the 32-bit products of the kernel's neighbour reads never wrap.
bool hasPlainNeighbourOffsets(std::int32_t rows, std::int32_t rowBytes)
{
    return static_cast<std::int64_t>(rows - 1) * rowBytes <= INT32_MAX;
}

// The exact path for a formula that reads only its own pixel: the kernel for
// every pixel, rows spread over threads.
void kernelPass(const fast::PassGeometry &g, const BitmapView &view, std::int64_t value, bool negative,
                bool reverse)
{
#pragma omp parallel for schedule(static) num_threads(fast::threadsFor(g.rows))
    for (std::int32_t y = 0; y < g.rows; ++y) {
        std::uint8_t *pixel = g.row(y);
        for (std::int32_t x = 0; x < g.columns; ++x, pixel += 4)
            changePixel(view.data, negative, reverse, x, y, pixel, value);
    }
}

} // namespace

bool filterBitmapFast(const BitmapView &view, std::int64_t value, bool negative, bool reverse,
                      const std::uint8_t *source)
{
    const std::int32_t columns = passColumns(view);
    const std::int32_t rows = passRows(view);
    if (!hasFastGeometry(view, columns, rows))
        return false;

    fast::PassInputs in;
    in.geometry = {view.data, columns, rows, view.bytesPerRow, source};
    in.finish = fast::Finish(red, green, blue, negative, reverse);
    in.value = value;

    const auto index = static_cast<std::uint32_t>(current_filter);
    const bool readsNeighbours = isNeighbourFilter(index);
    if (readsNeighbours) {
        // These read other pixels as the in-place walk leaves them: copy first.
        if (!hasPlainNeighbourOffsets(rows, view.bytesPerRow))
            return false;
        fast::copySource(in.geometry);
        in.geometry.source = nullptr;
    }
    for (const fast::Loop loop : fast::routeOf(index).loops)
        if (loop != nullptr && loop(in))
            return true;
    if (readsNeighbours)
        return false;
    fast::copySource(in.geometry);
    in.geometry.source = nullptr;
    kernelPass(in.geometry, view, value, negative, reverse);
    return true;
}

} // namespace tintwell

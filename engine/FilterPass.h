// The filter pass: runs the kernel over every pixel of a bitmap, in row order.
#pragma once

#include "BitmapView.h"

#include <cstdint>

namespace tintwell {

// Whether a pass may touch the view at all: data present, at least three bytes
// a pixel, finite non-negative sizes that fit in 32 bits, and rows long enough
// for the whole pixels of a row. A refused view is left untouched.
bool isPassable(const BitmapView &view);

// Whole pixels the pass visits in each direction (0 for a refused view).
std::int32_t passColumns(const BitmapView &view);
std::int32_t passRows(const BitmapView &view);

// Runs one pass over the view with the control value and the two flags. The
// pass context must have been filled for this bitmap first. Gives exactly the
// bytes of filterBitmapReference, using a loop specialised for the filter.
void filterBitmap(const BitmapView &view, std::int64_t value, bool negative, bool reverse);

// filterBitmap over a copy of `source` made into the view: the pass's rows
// (passRows(view) · bytesPerRow bytes from each of source and view.data, not
// overlapping) end up as copying them over and calling filterBitmap would
// leave them. The specialised loops read the source and write the view in one
// trip through memory instead of two.
void filterBitmapFrom(const std::uint8_t *source, const BitmapView &view, std::int64_t value, bool negative,
                      bool reverse);

// The plain sequential walk: changePixel once per pixel, row by row, each row
// starting at data + y * bytesPerRow. The definition of the result.
void filterBitmapReference(const BitmapView &view, std::int64_t value, bool negative, bool reverse);

} // namespace tintwell

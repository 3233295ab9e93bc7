// The fast pass: one loop specialised for the selected filter, spread over
// threads, giving the very bytes of the sequential per-pixel walk.
#pragma once

#include "BitmapView.h"

#include <cstdint>

namespace tintwell {

// Runs the pass if the view and the pass context describe the same whole
// four-byte pixels and returns true; returns false, touching nothing, for any
// other geometry, which the sequential walk then handles. With a source (rows
// of the view's stride, not overlapping it) the pass reads the pixels from
// there: the bytes of copying the source over the view first.
bool filterBitmapFast(const BitmapView &view, std::int64_t value, bool negative, bool reverse,
                      const std::uint8_t *source = nullptr);

} // namespace tintwell

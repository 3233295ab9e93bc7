// Screen copies of pictures or of their visible parts: shrunk for a view
// without losing fine patterns, enlarged as sharp squares, and colour-managed
// from the picture's profile to the screen's (sRGB).
#pragma once

#include <QImage>
#include <QSize>

namespace tintwell {

// `image` shrunk to `size` (at most its own size). Qt's smooth (area-averaging)
// scale of a 24-megapixel picture takes a few times as long as the filter
// pass, and sampling it down first (nearest pixel) turns one-pixel patterns
// into whole black or white columns. So an opaque or premultiplied picture is
// halved by 2 x 2 means while it is at least twice the size, and only the last
// step, less than 2:1, is smooth. Opaque results are RGB32, which the painter
// draws without a conversion.
QImage scaledForDisplay(const QImage &image, const QSize &size);

// What a view paints for `image` at `size`: scaledForDisplay (or the picture
// itself when it already has that size; repeated pixels when larger),
// converted from the picture's colour profile to sRGB when it has a valid
// profile other than sRGB. The picture's own bytes are never changed.
QImage screenCopy(const QImage &image, const QSize &size);

// What a zoomed view paints: the part `part` of `image` (clipped to the
// picture) at `size`. Shrunk as scaledForDisplay shrinks, enlarged by
// repeating pixels (nearest neighbour: every picture pixel a sharp block),
// then converted to sRGB as screenCopy does. Only the part is read, so the
// cost follows the view's size, not the picture's. Never shares the
// picture's pixels unless `part` is the whole picture at its own size.
QImage screenCopy(const QImage &image, const QRect &part, const QSize &size);

} // namespace tintwell

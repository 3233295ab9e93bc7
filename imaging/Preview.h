// Small previews of renders: the full-size render of a picture, shrunk for a
// thumbnail the way the view shrinks pictures for the screen.
#pragma once

#include "ImagePath.h"

#include <QImage>
#include <QSize>

namespace tintwell {

// The size a picture of `size` takes inside `box`: aspect ratio kept, never
// larger than the picture itself, at least 1 x 1. Empty for an empty size or
// box.
QSize previewSize(const QSize &size, const QSize &box);

// `image` shrunk to fit `box` as the view would paint it (screenCopy: 2 x 2
// means, colour-managed to sRGB). Null for a null image or an empty box.
QImage thumbnail(const QImage &image, const QSize &box);

// The render of `source` with `settings`, made at full size and then shrunk
// to fit `box`. The filters depend on the column, the row and the size of
// the picture, so filtering a small copy would show another picture.
QImage renderPreview(const QImage &source, const PassSettings &settings, const QSize &box);

} // namespace tintwell

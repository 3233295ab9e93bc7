// The JPEG encoder's input without a second buffer: a working-layout picture
// packed to 3 bytes a pixel inside its own rows.
#pragma once

#include <QImage>

namespace tintwell {

// Returns `image` as Format_RGB888, alpha (or filler) bytes dropped: the same
// bytes as convertToFormat(Format_RGB888). For RGBX8888 and RGBA8888 each
// row is packed in place and the result is a view of `image`'s buffer (rows
// keep their stride), so `image` must outlive it and is spent. Other formats
// are converted the usual way. The metadata (density, offset, text, colour
// space) comes along as with convertToFormat. A null image when memory runs out.
QImage packToRgb888(QImage &image);

} // namespace tintwell

// Turning a decoded picture upright from its EXIF orientation.
#pragma once

#include <QImage>

namespace tintwell {

// `image` turned as EXIF orientation `orientation` (1 to 8) says the stored
// pixels must be turned to stand upright; `image` itself for 1 and for values
// outside 1 to 8. Keeps the format and colour space. Move the picture in:
// its buffer is then freed as soon as the turned copy exists.
QImage orientedUpright(QImage image, int orientation);

} // namespace tintwell

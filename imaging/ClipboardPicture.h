// The picture that clipboard or drop data offers, taken through the image path
// with the same limits and checks as a file.
#pragma once

#include "ImagePath.h"

class QMimeData;

namespace tintwell {

// The first picture in `data`, in the working layout. Encoded bytes (another
// program's image/png, image/jpeg, ...) are decoded like a file named `name`;
// a picture already decoded in this process is checked for size and
// converted. A null image with an empty error when `data` holds no picture;
// with a one-line reason when the picture is there but refused.
LoadResult pictureFromMimeData(const QMimeData *data, const QString &name);

} // namespace tintwell

// EXIF orientation applied with QImage's own mirror and rotation paths.
#include "Orientation.h"

#include <QColorSpace>
#include <QTransform>

namespace tintwell {

QImage orientedUpright(QImage image, int orientation)
{
    if (image.isNull() || orientation < 2 || orientation > 8)
        return image;
    // Orientations 2 to 8 as a mirror or flip first, then a clockwise turn:
    //   2 mirror  3 mirror and flip (turn 180)  4 flip  5 flip, turn 90
    //   6 turn 90  7 mirror, turn 90  8 turn 270
    const bool mirror = orientation == 2 || orientation == 3 || orientation == 7;
    const bool flip = orientation == 3 || orientation == 4 || orientation == 5;
    const int turn = orientation == 8 ? 270 : (orientation >= 5 ? 90 : 0);
    const QColorSpace space = image.colorSpace();
    if (mirror || flip)
        image = image.mirrored(mirror, flip);
    if (turn != 0)
        image = image.transformed(QTransform().rotate(turn));
    image.setColorSpace(space);
    return image;
}

} // namespace tintwell

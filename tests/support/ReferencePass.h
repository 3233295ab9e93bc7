// The expected bytes of a render, made without the image path: the pass
// context filled by hand and the engine's reference walk over a copy of the
// picture in the working layout.
#pragma once

#include "FilterPass.h"
#include "ImagePath.h"
#include "PassContext.h"

#include <QImage>

namespace tintwell::test {

inline QImage referencePass(const QImage &source, const PassSettings &s)
{
    QImage working = toWorkingLayout(source).copy();
    current_filter = s.filter;
    bytesPerSample = 4;
    bytesPerRow = std::int32_t(working.bytesPerLine());
    width = working.width();
    height = working.height();
    red = s.red;
    green = s.green;
    blue = s.blue;
    const BitmapView view{working.bits(), {double(working.width()), double(working.height())}, bytesPerRow, 4};
    filterBitmapReference(view, s.value, s.negative, s.reverse);
    return working;
}

} // namespace tintwell::test

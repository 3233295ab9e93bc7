// The expected bytes of a render, built by hand: the pass context filled
// directly and the engine's reference walk over a copy in the working layout.
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
    bytesPerRow = working.width() * 4;
    width = working.width();
    height = working.height();
    red = s.red;
    green = s.green;
    blue = s.blue;
    const BitmapView view{working.bits(), {double(working.width()), double(working.height())},
                          working.width() * 4, 4};
    filterBitmapReference(view, s.value, s.negative, s.reverse);
    return working;
}

} // namespace tintwell::test

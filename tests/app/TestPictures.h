// Pictures made by the tests themselves, byte-level comparison helpers, and a
// shown image view.
#pragma once

#include "ImageView.h"

#include <QApplication>
#include <QImage>
#include <QString>

namespace testpics {

// A deterministic opaque pattern of many colours (gradients plus a checker).
QImage pattern(int width, int height);

// The same pattern with an alpha ramp, so straight alpha is exercised.
QImage translucentPattern(int width, int height);

// True when both are the same size and every pixel's four bytes agree after
// conversion to the working layout.
bool sameBytes(const QImage &a, const QImage &b);

// The four bytes of one pixel of a working-layout picture.
struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba &) const = default;
};
Rgba pixelAt(const QImage &image, int x, int y);

// Mean absolute difference per colour byte, for lossy comparisons.
double meanDifference(const QImage &a, const QImage &b);

// An image view of the given size, shown and laid out.
struct ShownView {
    ShownView(int w, int h)
    {
        view.resize(w, h);
        view.show();
        QApplication::processEvents();
    }
    ImageView view;
};

} // namespace testpics

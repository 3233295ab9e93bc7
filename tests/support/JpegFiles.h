// JPEG files built with libjpeg for the tests of the image path, the CLI and
// the app: damaged and hostile files, grey and CMYK files, and a reference.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace tintwell::test {

// A progressive JPEG of an 8 x 8 grey picture whose last scan (all AC
// coefficients, first pass) is repeated until it has `scans` scans. Every
// scan is valid, so only a limit on the number of scans stops a decoder.
QByteArray jpegWithRepeatedScans(int scans);

// An 8 x 8 JPEG of one colour: one sample is grey, four are CMYK (written
// with libjpeg's APP14 marker, inks inverted).
QByteArray jpegOfOneColour(const QList<int> &sample);

// A photo-like JPEG cut to a third, with an end-of-image marker appended.
QByteArray jpegCutWithEndMarker();

// `image` (Format_RGBX8888) as libjpeg writes it in one pass at quality 100
// without chroma subsampling or restart markers.
QByteArray plainJpeg(const QImage &image);

// PSNR in dB between two pictures of the same size over R, G and B.
double psnr(const QImage &a, const QImage &b);

} // namespace tintwell::test

// The display scaler: repeated 2 x 2 means down to less than twice the
// target, then one smooth step, or repeated pixels when enlarging; the result
// converted to sRGB for the screen.
#include "DisplayScaler.h"

#include <QColorSpace>

#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tintwell {

namespace {

// Formats whose four bytes a pixel can be averaged byte by byte: opaque or
// premultiplied. Straight alpha needs weighting, which Qt's smooth scale does.
bool averagesByteWise(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGBX8888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

// Rounded-up mean of two bytes, as SSE2's pavgb computes it.
inline uchar meanOf(uchar a, uchar b)
{
    return uchar((a + b + 1) >> 1);
}

// One row of 2 x 2 means: `width` pixels from the rows `top` and `bottom`,
// each the mean down the columns first and then across.
void halveRows(const uchar *top, const uchar *bottom, uchar *row, int width)
{
    int x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= width; x += 4) {
        const auto load = [](const uchar *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); };
        const __m128 left = _mm_castsi128_ps(_mm_avg_epu8(load(top + 8 * x), load(bottom + 8 * x)));
        const __m128 right = _mm_castsi128_ps(_mm_avg_epu8(load(top + 8 * x + 16), load(bottom + 8 * x + 16)));
        const __m128i even = _mm_castps_si128(_mm_shuffle_ps(left, right, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128i odd = _mm_castps_si128(_mm_shuffle_ps(left, right, _MM_SHUFFLE(3, 1, 3, 1)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(row + 4 * x), _mm_avg_epu8(even, odd));
    }
#endif
    for (; x < width; ++x) {
        for (int c = 0; c < 4; ++c) {
            const int l = 8 * x + c;
            row[4 * x + c] = meanOf(meanOf(top[l], bottom[l]), meanOf(top[l + 4], bottom[l + 4]));
        }
    }
}

// Halves both sides `levels` times in one pass (odd last columns or rows are
// dropped), as repeated 2 x 2 means would: each output row is made from its
// band of 2^levels source rows through small per-thread row buffers, so no
// intermediate picture is allocated. Row bands run on the OpenMP threads that
// the engine brings along.
QImage halved(const QImage &image, int levels)
{
    const int factor = 1 << levels;
    const int width = image.width() / factor;
    const int height = image.height() / factor;
    QImage out(width, height, image.format());
    if (out.isNull())
        return out;
    const uchar *const source = image.constBits();
    const qsizetype sourceStride = image.bytesPerLine();
    uchar *const target = out.bits();
    const qsizetype targetStride = out.bytesPerLine();
    // Level k holds factor >> k rows of (image width >> k) pixels.
    const qsizetype levelStride = qsizetype(image.width() / 2) * 4;
#pragma omp parallel
    {
        std::vector<uchar> buffer(std::size_t(levelStride) * std::size_t(factor / 2) * 2);
#pragma omp for schedule(static)
        for (int y = 0; y < height; ++y) {
            const uchar *band = source + qsizetype(y) * factor * sourceStride;
            qsizetype stride = sourceStride;
            int rows = factor;
            int pixels = image.width();
            const uchar *in = band;
            uchar *level = buffer.data();
            for (int k = 1; k <= levels; ++k) {
                rows /= 2;
                pixels /= 2;
                uchar *outRows = k == levels ? target + y * targetStride : level;
                for (int r = 0; r < rows; ++r)
                    halveRows(in + 2 * r * stride, in + (2 * r + 1) * stride, outRows + r * levelStride,
                              k == levels ? width : pixels);
                in = outRows;
                stride = levelStride;
                level = (level == buffer.data()) ? buffer.data() + buffer.size() / 2 : buffer.data();
            }
        }
    }
    return out;
}

// The rows of `part` (inside `image`) as an image over the picture's own
// memory, without a copy; it must not outlive `image` and is only read.
// Formats that pack several pixels into a byte, or use a colour table, are
// copied instead.
QImage partOf(const QImage &image, const QRect &part)
{
    if (part == image.rect())
        return image;
    if (image.depth() % 8 != 0 || image.colorCount() > 0)
        return image.copy(part);
    const uchar *first = image.constScanLine(part.top()) + qsizetype(part.left()) * (image.depth() / 8);
    return QImage(first, part.width(), part.height(), image.bytesPerLine(), image.format());
}

// Nearest-neighbour enlargement: output pixel (x, y) shows the picture pixel
// under its centre, column floor((x + 0.5) * width / size.width()) and the
// same for rows, so at a whole factor n every pixel becomes an n x n block.
QImage enlarged(const QImage &image, const QSize &size)
{
    const QImage source = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                        : QImage::Format_RGB32);
    QImage out(size, source.format());
    if (out.isNull() || source.isNull())
        return {};
    const auto under = [](int i, int from, int to) { return int((2 * qint64(i) + 1) * from / (2 * qint64(to))); };
    std::vector<int> columns(std::size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        columns[std::size_t(x)] = under(x, source.width(), size.width());
    const std::size_t rowBytes = std::size_t(size.width()) * 4;
    int previous = -1;
    for (int y = 0; y < size.height(); ++y) {
        const int row = under(y, source.height(), size.height());
        auto *target = reinterpret_cast<quint32 *>(out.scanLine(y));
        if (row == previous) { // the same picture row again: repeat the row just made
            std::memcpy(target, out.constScanLine(y - 1), rowBytes);
            continue;
        }
        const auto *in = reinterpret_cast<const quint32 *>(source.constScanLine(row));
        for (int x = 0; x < size.width(); ++x)
            target[x] = in[columns[std::size_t(x)]];
        previous = row;
    }
    return out;
}

// The part of `image` at `size`, not yet colour-managed; see screenCopy.
QImage scaledPart(const QImage &image, const QRect &part, const QSize &size)
{
    if (part == image.rect() && size == image.size())
        return image;
    if (size == part.size()) {
        QImage copy = image.copy(part);
        if (!copy.hasAlphaChannel() && copy.format() != QImage::Format_RGB32)
            copy.convertTo(QImage::Format_RGB32);
        return copy;
    }
    const QImage source = partOf(image, part);
    if (size.width() >= part.width() && size.height() >= part.height())
        return enlarged(source, size);
    QImage scaled = scaledForDisplay(source, size);
    // scaledForDisplay makes new pixels whenever the size changes; kept as a
    // guard, since `source` may lie in the picture's memory.
    if (scaled.constBits() == source.constBits())
        scaled = scaled.copy();
    return scaled;
}

} // namespace

QImage scaledForDisplay(const QImage &image, const QSize &size)
{
    QImage scaled = image;
    if (averagesByteWise(image.format())) {
        int levels = 0;
        while ((image.width() >> (levels + 1)) >= size.width() && (image.height() >> (levels + 1)) >= size.height())
            ++levels;
        if (levels > 0) {
            QImage half = halved(image, levels);
            if (!half.isNull())
                scaled = std::move(half);
        }
    }
    if (scaled.size() != size)
        scaled = scaled.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!scaled.hasAlphaChannel() && scaled.format() != QImage::Format_RGB32)
        scaled.convertTo(QImage::Format_RGB32);
    return scaled;
}

QImage screenCopy(const QImage &image, const QSize &size)
{
    return screenCopy(image, image.rect(), size);
}

QImage screenCopy(const QImage &image, const QRect &part, const QSize &size)
{
    const QRect visible = part.intersected(image.rect());
    if (image.isNull() || visible.isEmpty() || size.isEmpty())
        return {};
    QImage copy = scaledPart(image, visible, size);
    if (copy.isNull())
        return copy;
    const QColorSpace profile = image.colorSpace();
    if (profile.isValid() && profile != QColorSpace(QColorSpace::SRgb)) {
        // Only the copy is converted; a copy that is the picture itself
        // detaches first, so the picture keeps its bytes.
        if (copy.format() == QImage::Format_RGBX8888)
            copy.convertTo(QImage::Format_RGB32);
        copy.setColorSpace(profile);
        copy.convertToColorSpace(QColorSpace::SRgb);
    }
    return copy;
}

} // namespace tintwell

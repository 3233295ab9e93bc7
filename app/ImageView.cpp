#include "ImageView.h"

#include <QPainter>
#include <QResizeEvent>

#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// `image` shrunk to `size` for the screen. Qt's smooth (area-averaging) scale
// of a 24-megapixel picture takes a few times as long as the filter pass, and
// sampling it down first (nearest pixel) turns one-pixel patterns into whole
// black or white columns. So the picture is halved by 2 x 2 means while it is
// at least twice the size, and only the last step, less than 2:1, is smooth.
// Opaque results are RGB32, which the painter draws without a conversion.
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

} // namespace

ImageView::ImageView(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(120, 90);
}

void ImageView::setImage(const QImage &image)
{
    m_image = image;
    updateDisplay();
}

QSize ImageView::sizeHint() const
{
    return {560, 420};
}

void ImageView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateDisplay();
}

void ImageView::setPlaceholderText(const QString &text)
{
    m_placeholder = text;
    update();
}

void ImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_display.isNull()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, m_placeholder);
        return;
    }
    const QSize shown = m_display.deviceIndependentSize().toSize();
    QRect target(QPoint(), shown);
    target.moveCenter(contentsRect().center());
    painter.drawImage(target, m_display);
}

// Fits the picture into the view in device pixels, keeping its aspect ratio and
// never enlarging it; a picture that already fits is drawn as it is.
void ImageView::updateDisplay()
{
    if (m_image.isNull()) {
        m_display = QImage();
        update();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize room = (QSizeF(contentsRect().size()) * ratio).toSize();
    QSize fitted = m_image.size();
    if (fitted.width() > room.width() || fitted.height() > room.height())
        fitted.scale(room.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio);
    fitted = fitted.expandedTo(QSize(1, 1));
    m_display = fitted == m_image.size() ? m_image : scaledForDisplay(m_image, fitted);
    m_display.setDevicePixelRatio(ratio);
    update();
}

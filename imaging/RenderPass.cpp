// The render: the pass context filled from the working copy of the source
// picture, and one filter pass over it, in place or from the source into a
// pooled buffer.
#include "BufferPool.h"
#include "ImageLimits.h"
#include "ImagePath.h"

#include "FilterPass.h"
#include "PassContext.h"

#include <QColorSpace>

namespace tintwell {

namespace {

bool isWorkingLayout(const QImage &image)
{
    return image.format() == QImage::Format_RGBX8888 || image.format() == QImage::Format_RGBA8888;
}

} // namespace

namespace {

// Fills the pass context from `working` in the fixed order and returns its view.
BitmapView passViewOf(QImage &working, std::uint8_t *data)
{
    const std::int32_t sampleStride = working.depth() / workingBitsPerSample;
    const auto rowStride = static_cast<std::int32_t>(working.bytesPerLine());

    tintwell::bytesPerSample = sampleStride;
    tintwell::bytesPerRow = rowStride;
    tintwell::width = working.width();
    tintwell::height = working.height();

    BitmapView view;
    view.data = data;
    view.size = {static_cast<double>(working.width()), static_cast<double>(working.height())};
    view.bytesPerRow = rowStride;
    view.bytesPerSample = sampleStride;
    return view;
}

void setOffsets(qint32 red, qint32 green, qint32 blue)
{
    tintwell::red = red;
    tintwell::green = green;
    tintwell::blue = blue;
}

} // namespace

void runPass(QImage &working, qint64 value, qint32 red, qint32 green, qint32 blue, bool negative,
             bool reverse)
{
    if (working.isNull() || !isWorkingLayout(working))
        return;
    // bits() detaches, so the pass never writes pixels another QImage shares.
    std::uint8_t *data = working.bits();
    if (!data)
        return;
    const BitmapView view = passViewOf(working, data);
    setOffsets(red, green, blue);
    filterBitmap(view, value, negative, reverse);
}

void runPassFrom(const QImage &source, QImage &target, qint64 value, qint32 red, qint32 green, qint32 blue,
                 bool negative, bool reverse)
{
    if (source.isNull() || !isWorkingLayout(source))
        return;
    const bool sameLayout = !target.isNull() && source.format() == target.format() &&
                            source.size() == target.size() && source.bytesPerLine() == target.bytesPerLine();
    if (!sameLayout) {
        target = source.copy();
        runPass(target, value, red, green, blue, negative, reverse);
        return;
    }
    // bits() detaches a target that shares its pixels, with the source too.
    std::uint8_t *data = target.bits();
    if (!data)
        return;
    const BitmapView view = passViewOf(target, data);
    setOffsets(red, green, blue);
    filterBitmapFrom(source.constBits(), view, value, negative, reverse);
}

std::recursive_mutex &renderMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

QImage renderFrom(QImage source, const PassSettings &settings)
{
    if (source.isNull())
        return {};
    // The pass context is process-wide: the window's render and the filter
    // previews made in the background fill and read it one at a time.
    const std::lock_guard<std::recursive_mutex> lock(renderMutex());
    tintwell::current_filter = settings.filter;
    convertToWorkingLayout(source);
    if (source.isNull())
        return {};
    if (source.isDetached()) {
        runPass(source, settings.value, settings.red, settings.green, settings.blue, settings.negative,
                settings.reverse);
        return source;
    }
    QImage result = blankLike(source);
    if (result.isNull())
        return {};
    runPassFrom(source, result, settings.value, settings.red, settings.green, settings.blue, settings.negative,
                settings.reverse);
    return result;
}

QImage renderImage(const QImage &source, const PassSettings &settings)
{
    return renderFrom(source, settings);
}

void renderInPlace(QImage &image, const PassSettings &settings)
{
    image = renderFrom(std::move(image), settings);
}

void copyPictureAttributes(const QImage &from, QImage &to)
{
    to.setOffset(from.offset());
    to.setDotsPerMeterX(from.dotsPerMeterX());
    to.setDotsPerMeterY(from.dotsPerMeterY());
    const QStringList keys = from.textKeys();
    for (const QString &key : keys)
        to.setText(key, from.text(key));
    to.setColorSpace(from.colorSpace());
    to.setDevicePixelRatio(from.devicePixelRatio());
}

} // namespace tintwell

// The render: a working copy of the source picture, the pass context filled
// from it, and one filter pass over it in place.
#include "ImageLimits.h"
#include "ImagePath.h"

#include "FilterPass.h"
#include "PassContext.h"

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

QImage renderImage(const QImage &source, const PassSettings &settings)
{
    if (source.isNull())
        return QImage();
    tintwell::current_filter = settings.filter;
    // Either a converted image of its own or one sharing the source's pixels;
    // in the second case runPass's detach makes the single copy.
    QImage working = toWorkingLayout(source);
    runPass(working, settings.value, settings.red, settings.green, settings.blue,
            settings.negative, settings.reverse);
    return working;
}

void renderInPlace(QImage &image, const PassSettings &settings)
{
    if (image.isNull())
        return;
    tintwell::current_filter = settings.filter;
    convertToWorkingLayout(image);
    runPass(image, settings.value, settings.red, settings.green, settings.blue, settings.negative,
            settings.reverse);
}

} // namespace tintwell

// fuzz_image: arbitrary bytes as a JPEG or PNG file through decode, render and
// JPEG/PNG encoding in memory; must end in a clear error or a correct picture.
#include "ImageCase.h"
#include "PngCrc.h"

#include "FilterPass.h"
#include "ImageLimits.h"
#include "ImagePath.h"
#include "PassContext.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>

#include <cstdio>
#include <cstring>

namespace {

// Pictures above this many pixels that the image path would accept are
// skipped, to keep each run fast and its memory small; larger ones that it
// must refuse are still fed to it.
constexpr qint64 maxFuzzPixels = qint64{1} << 18;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_image: %s\n", what);
    __builtin_trap();
}

bool isWorkingLayout(const QImage &image)
{
    return image.format() == QImage::Format_RGBX8888 || image.format() == QImage::Format_RGBA8888;
}

bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    const auto rowBytes = static_cast<std::size_t>(a.width()) * 4;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

// Encodes as saveImage does, but into memory: JPEG at quality 100 from RGB888,
// or PNG from the picture itself.
QByteArray encode(const QImage &image, bool jpeg)
{
    const QImage encoded = jpeg ? image.convertToFormat(QImage::Format_RGB888) : image;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, jpeg ? QByteArrayLiteral("jpeg") : QByteArrayLiteral("png"));
    if (jpeg)
        writer.setQuality(100);
    if (encoded.isNull() || !writer.write(encoded))
        fail(jpeg ? "JPEG encoding of a rendered picture failed" : "PNG encoding of a rendered picture failed");
    return bytes;
}

// The header's size, as the image path will see it before decoding.
QSize headerSize(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.size();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Image format plugins (JPEG) are found through the application object.
    static QCoreApplication app(*argc, *argv);
    // Decoders complain about every broken input; keep the log readable.
    if (qEnvironmentVariableIsEmpty("TINTWELL_FUZZ_VERBOSE"))
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    tintwell::fuzz::repairPngCrcs(bytes);
    const QSize declared = headerSize(bytes);
    const bool mustRefuse =
        declared.isValid() && !tintwell::fitsWorkingLayout(declared.width(), declared.height());
    if (declared.isValid() && !mustRefuse && qint64{declared.width()} * declared.height() > maxFuzzPixels)
        return 0;

    const tintwell::LoadResult loaded = tintwell::loadImageData(bytes);
    if (loaded.image.isNull()) {
        if (loaded.error.isEmpty())
            fail("decode gave neither a picture nor a reason");
        return 0;
    }
    if (mustRefuse)
        fail("a picture too large for the working layout was accepted");
    if (!loaded.error.isEmpty())
        fail("decode gave a picture and a reason");
    const QImage &source = loaded.image;
    if (!isWorkingLayout(source) || source.width() <= 0 || source.height() <= 0)
        fail("decoded picture is not in the working layout");
    if (qint64{source.width()} * source.height() > maxFuzzPixels)
        return 0; // no header size, but a big picture: too slow to go on with

    const tintwell::PassSettings settings = tintwell::fuzz::settingsFromTrailer(data, size);
    const QImage before = source.copy();
    const QImage rendered = tintwell::renderImage(source, settings);
    if (!samePixels(source, before))
        fail("renderImage wrote the source picture");
    if (rendered.size() != source.size() || rendered.format() != source.format())
        fail("rendered picture has another size or format");

    // Rendering a picture given up must give the same bytes.
    QImage givenUp = source;
    tintwell::renderInPlace(givenUp, settings);
    if (!samePixels(givenUp, rendered))
        fail("renderInPlace differs from renderImage");
    if (!samePixels(source, before))
        fail("renderInPlace wrote a picture sharing its pixels");

    // The render must equal the reference walk over a copy with the same context.
    QImage expected = source.copy();
    tintwell::current_filter = settings.filter;
    tintwell::bytesPerSample = 4;
    tintwell::bytesPerRow = static_cast<std::int32_t>(expected.bytesPerLine());
    tintwell::width = expected.width();
    tintwell::height = expected.height();
    tintwell::red = settings.red;
    tintwell::green = settings.green;
    tintwell::blue = settings.blue;
    tintwell::BitmapView view;
    view.data = expected.bits();
    view.size = {double(expected.width()), double(expected.height())};
    view.bytesPerRow = tintwell::bytesPerRow;
    view.bytesPerSample = 4;
    tintwell::filterBitmapReference(view, settings.value, settings.negative, settings.reverse);
    if (!samePixels(rendered, expected))
        fail("renderImage differs from the reference pass over the working copy");

    encode(rendered, true);
    const QByteArray png = encode(rendered, false);
    // PNG is lossless: decoding it must give the rendered bytes back (X = 255).
    const tintwell::LoadResult again = tintwell::loadImageData(png);
    if (again.image.isNull())
        fail("the PNG of a rendered picture does not decode");
    QImage comparable = rendered;
    if (rendered.format() == QImage::Format_RGBX8888) {
        comparable = rendered.copy();
        for (int y = 0; y < comparable.height(); ++y) {
            uchar *line = comparable.scanLine(y);
            for (int x = 0; x < comparable.width(); ++x)
                line[4 * x + 3] = 0xFF;
        }
    }
    if (!samePixels(comparable, again.image))
        fail("the PNG of a rendered picture decodes to other pixels");
    return 0;
}

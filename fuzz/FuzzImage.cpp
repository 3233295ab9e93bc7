// fuzz_image: arbitrary bytes as a JPEG or PNG file through decode, render and
// JPEG/PNG encoding in memory; must end in a clear error or a correct picture.
// The last nine bytes choose the settings (encoded pictures ignore bytes after
// their end marker): filter selector, control value (4 bytes, little-endian,
// sign-extended), red, green, blue (signed bytes), flags (bit 0 negative, bit 1
// reverse, bit 2 control value shifted up by 32 bits).
#include "Pictures.h"

#include "ImageLimits.h"
#include "ImagePath.h"

#include <QCoreApplication>

#include <cstdio>

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

tintwell::PassSettings settingsFromTrailer(const std::uint8_t *data, std::size_t size)
{
    tintwell::PassSettings s;
    if (size < 9)
        return s;
    const std::uint8_t *t = data + size - 9;
    static const qint32 outside[] = {-1, 25, 26, 255, INT32_MAX, INT32_MIN, 1000};
    s.filter = t[0] < 25 ? t[0] : outside[t[0] % std::size(outside)];
    s.value = static_cast<std::int32_t>(t[1] | t[2] << 8 | t[3] << 16 | std::uint32_t{t[4]} << 24);
    if (t[8] & 4)
        s.value = static_cast<qint64>(static_cast<quint64>(s.value) << 32);
    s.red = static_cast<std::int8_t>(t[5]), s.green = static_cast<std::int8_t>(t[6]), s.blue = static_cast<std::int8_t>(t[7]);
    s.negative = (t[8] & 1) != 0, s.reverse = (t[8] & 2) != 0;
    return s;
}

// Recomputes the CRC of every whole PNG chunk, so that mutated data reaches
// the decoder's later stages instead of its CRC check.
void repairPngCrcs(QByteArray &bytes)
{
    if (!bytes.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)))
        return;
    for (qsizetype pos = 8; pos + 12 <= bytes.size();) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + pos);
        if (length > quint64(bytes.size() - pos - 12))
            return;
        qToBigEndian<quint32>(tintwell::test::pngCrc(QByteArrayView(bytes.constData() + pos + 4, qsizetype(length) + 4)),
                              bytes.data() + pos + 8 + length);
        pos += qsizetype(length) + 12;
    }
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
    repairPngCrcs(bytes);
    const QSize declared = tintwell::imageSizeFromHeader(bytes); // as the image path sees it before decoding
    const bool mustRefuse = declared.isValid() && !tintwell::fitsWorkingLayout(declared.width(), declared.height());
    if (declared.isValid() && !mustRefuse && qint64{declared.width()} * declared.height() > maxFuzzPixels)
        return 0;

    const tintwell::LoadResult loaded = tintwell::loadImageData(bytes);
    if (loaded.image.isNull() == loaded.error.isEmpty())
        fail("decode gave not exactly one of a picture and a reason");
    if (loaded.image.isNull())
        return 0;
    if (mustRefuse)
        fail("a picture too large for the working layout was accepted");
    const QImage &source = loaded.image;
    if (source.format() != QImage::Format_RGBX8888 && source.format() != QImage::Format_RGBA8888)
        fail("decoded picture is not in the working layout");
    if (qint64{source.width()} * source.height() > maxFuzzPixels)
        return 0; // no header size, but a big picture: too slow to go on with

    const tintwell::PassSettings settings = settingsFromTrailer(data, size);
    const QByteArray before = tintwell::test::pixelBytes(source);
    const QImage rendered = tintwell::renderImage(source, settings);
    QImage givenUp = source;
    tintwell::renderInPlace(givenUp, settings);
    if (tintwell::test::pixelBytes(source) != before)
        fail("a render wrote the source picture");
    if (rendered.size() != source.size() || rendered.format() != source.format() || givenUp != rendered)
        fail("renderImage and renderInPlace differ, or changed the size or format");

    // What a save writes, with the source's metadata.
    QString error;
    if (tintwell::encodeImage(QImage(rendered), "jpg", loaded.metadata, &error).isEmpty())
        fail("JPEG encoding of a rendered picture failed");
    // PNG is lossless: decoding it must give the rendered bytes back (the
    // pass leaves the filler byte of RGBX at the 255 the decode gave it).
    const QByteArray png = tintwell::encodeImage(QImage(rendered), "png", loaded.metadata, &error);
    if (!tintwell::test::sameBytes(tintwell::loadImageData(png).image, rendered))
        fail("the PNG of a rendered picture decodes to other pixels");
    return 0;
}

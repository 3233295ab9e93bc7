// fuzz_seeds: writes the seed corpora the project makes itself: small PNG and
// JPEG pictures drawn in code, and engine inputs covering each filter and the
// awkward geometries. Usage: fuzz_seeds ENGINE_DIR IMAGE_DIR
#include "EngineCase.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <cstdio>

namespace {

using tintwell::fuzz::EngineCase;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A gradient of w x h pixels with a diagonal alpha ramp when `alpha` is set.
QImage gradient(int w, int h, bool alpha)
{
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba(x * 255 / w, y * 255 / h, (x + y) * 7 % 256,
                                       alpha ? (x + y) * 255 / (w + h) : 255));
    return image;
}

QByteArray encoded(const QImage &image, const char *format, int quality = -1,
                   bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        std::fprintf(stderr, "fuzz_seeds: cannot encode %s: %s\n", format,
                     qPrintable(writer.errorString()));
    return bytes;
}

// A JPEG with an EXIF segment carrying only the orientation tag, put right
// after the start-of-image marker.
QByteArray withExifOrientation(const QByteArray &jpeg, quint8 orientation)
{
    const char exif[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0,          // APP1, length
                         'I', 'I', 42, 0, 8, 0, 0, 0,                              // TIFF header
                         1, 0,                                                     // one entry
                         0x12, 0x01, 3, 0, 1, 0, 0, 0, char(orientation), 0, 0, 0, // orientation
                         0, 0, 0, 0};                                              // no next IFD
    return jpeg.left(2) + QByteArray(exif, sizeof exif) + jpeg.mid(2);
}

// Nine trailing bytes choosing filter, control value, offsets and flags.
QByteArray trailer(quint8 filter, qint32 value, qint8 r, qint8 g, qint8 b, quint8 flags)
{
    QByteArray t;
    t.append(char(filter));
    for (int i = 0; i < 4; ++i)
        t.append(char(quint32(value) >> (8 * i)));
    t.append(char(r)).append(char(g)).append(char(b)).append(char(flags));
    return t;
}

void writeImageSeeds(const QDir &dir)
{
    const QImage rgb = gradient(16, 12, false);
    const QImage argb = gradient(13, 9, true);
    QImage grey = rgb.convertToFormat(QImage::Format_Grayscale8);
    QImage grey16 = rgb.convertToFormat(QImage::Format_Grayscale16);
    QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QImage indexedAlpha = argb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QImage deep = argb.convertToFormat(QImage::Format_RGBA64);
    QImage mono = rgb.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);

    struct Seed {
        const char *name;
        QByteArray bytes;
    };
    const Seed seeds[] = {
        {"rgb.png", encoded(rgb, "png") + trailer(0, 3, 0, 0, 0, 0)},
        {"argb.png", encoded(argb, "png") + trailer(8, -7, 10, 0, -6, 1)},
        {"grey.png", encoded(grey, "png") + trailer(6, 2, 0, 0, 0, 2)},
        {"grey16.png", encoded(grey16, "png") + trailer(21, 40, 1, 2, 3, 3)},
        {"indexed.png", encoded(indexed, "png") + trailer(9, 5, 0, 0, 0, 0)},
        {"indexed-alpha.png", encoded(indexedAlpha, "png") + trailer(14, -1, 0, 0, 0, 0)},
        {"rgba64.png", encoded(deep, "png") + trailer(18, 100, 0, 0, 0, 4)},
        {"mono.png", encoded(mono, "png") + trailer(200, 0, 5, 5, 5, 1)},
        {"one-pixel.png", encoded(gradient(1, 1, true), "png") + trailer(8, 1, 0, 0, 0, 0)},
        {"rgb.jpg", encoded(rgb, "jpeg", 100) + trailer(11, -1, 0, 0, 0, 0)},
        {"grey.jpg", encoded(grey, "jpeg", 50) + trailer(22, 9, 0, 0, 0, 2)},
        {"exif-rotated.jpg", withExifOrientation(encoded(rgb, "jpeg", 80), 6)
                                 + trailer(12, 30, 0, 0, 0, 0)},
        {"progressive.jpg", encoded(gradient(24, 8, false), "jpeg", 75, true)
                                + trailer(24, 1234, 0, 0, 0, 0)},
    };
    for (const Seed &s : seeds)
        writeFile(dir.filePath(QString::fromLatin1(s.name)), s.bytes);
}

void writeEngineSeeds(const QDir &dir)
{
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 97; ++i)
        pixels.push_back(static_cast<std::uint8_t>(i * 53 + 17));

    auto base = [&pixels](std::uint32_t filter, std::int64_t value) {
        EngineCase c;
        c.filter = filter;
        c.value = value;
        c.widthRaw = 7; // kind 0: 7 pixels
        c.heightRaw = 5;
        c.pixels = pixels;
        return c;
    };
    auto save = [&dir](const QString &name, const EngineCase &c) {
        const std::vector<std::uint8_t> bytes = c.encode();
        writeFile(dir.filePath(name),
                  QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())));
    };

    // Every filter on a small packed RGBA bitmap, with offsets on every third.
    for (std::uint32_t f = 0; f < 25; ++f) {
        EngineCase c = base(f, static_cast<std::int64_t>(f) * 3 - 20);
        if (f % 3 == 0) {
            c.red = 10;
            c.green = -3;
            c.blue = 250;
            c.flags = tintwell::fuzz::flagNegative | tintwell::fuzz::flagReverse;
        }
        save(QStringLiteral("filter-%1").arg(f, 2, 10, QLatin1Char('0')), c);
    }
    // Identity selectors outside 0..24.
    save(QStringLiteral("identity-minus-one"), base(0xFFFFFFFFu, 5));
    save(QStringLiteral("identity-25"), base(25, 5));
    // Packed RGB, padded rows, wide samples.
    {
        EngineCase c = base(8, 3);
        c.sampleKind = 4;
        save(QStringLiteral("rgb-packed"), c);
        c.rowKind = 4;
        c.rowRaw = 5;
        c.filter = 21;
        save(QStringLiteral("rgb-padded"), c);
        c.sampleKind = 5;
        c.sampleRaw = 5;
        c.filter = 6;
        save(QStringLiteral("wide-sample-padded"), c);
    }
    // Control values that hit the divisors and the extremes.
    save(QStringLiteral("value-minus-one"), base(11, -1));
    save(QStringLiteral("value-min"), base(14, INT64_MIN));
    save(QStringLiteral("value-max"), base(9, INT64_MAX));
    // Refused views: thin samples, short rows, NaN / infinite / negative sizes, null data.
    {
        EngineCase c = base(8, 1);
        c.sampleKind = 6;
        c.sampleRaw = 2;
        save(QStringLiteral("refused-two-byte-samples"), c);
        c = base(6, 1);
        c.rowKind = 5;
        save(QStringLiteral("refused-short-rows"), c);
        c = base(8, 1);
        c.widthKind = 5; // special[0]: NaN
        c.widthRaw = 0;
        c.flags = tintwell::fuzz::flagScramble;
        c.scramble[0] = 1000;
        c.scramble[1] = 1000;
        c.scramble[2] = 4000;
        c.scramble[3] = 4;
        save(QStringLiteral("refused-nan-width"), c);
        c.widthKind = 5;
        c.widthRaw = 1; // +inf
        save(QStringLiteral("refused-inf-width"), c);
        c.widthKind = 7;
        c.widthRaw = 0xFFFFFFFFu; // -1
        save(QStringLiteral("refused-negative-width"), c);
        c = base(21, 7);
        c.flags = tintwell::fuzz::flagNullData;
        save(QStringLiteral("refused-null-data"), c);
    }
    // Empty and fractional sizes.
    {
        EngineCase c = base(8, 2);
        c.heightRaw = 0;
        save(QStringLiteral("empty-height"), c);
        c = base(8, 2);
        c.widthRaw = 0;
        c.rowKind = 6;
        c.rowRaw = 0xFFFFFFF0u; // negative stride with no columns
        save(QStringLiteral("empty-width-negative-stride"), c);
        c = base(8, 2);
        c.widthKind = 4;
        c.widthRaw = 0x8003; // 3.5
        c.heightKind = 4;
        c.heightRaw = 0x4002; // 2.25
        save(QStringLiteral("fractional-size"), c);
        c = base(9, 2);
        c.widthRaw = 1;
        c.heightRaw = 1;
        save(QStringLiteral("one-pixel"), c);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds ENGINE_DIR IMAGE_DIR\n");
        return 2;
    }
    const QDir engineDir(QString::fromLocal8Bit(argv[1]));
    const QDir imageDir(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(engineDir.path()) || !QDir().mkpath(imageDir.path()))
        return 1;
    writeEngineSeeds(engineDir);
    writeImageSeeds(imageDir);
    return 0;
}

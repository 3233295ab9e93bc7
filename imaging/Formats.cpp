// The format table and the look-ups made from it.
#include "Formats.h"

#include "ImagePath.h"

#include <QFileInfo>

namespace tintwell {

const QList<FileFormat> &fileFormats()
{
    static const QList<FileFormat> formats = {
        {"jpg", {"jpg", "jpeg"}, "image/jpeg", "JPEG", true, false},
        {"png", {"png"}, "image/png", "PNG", true, true},
        {"tif", {"tif", "tiff"}, "image/tiff", "TIFF", false, true},
        {"webp", {"webp"}, "image/webp", "WebP", false, true},
        {"heic", {"heic", "heif"}, "image/heif", "HEIC", false, true},
        {"avif", {"avif"}, "image/avif", "AVIF", false, true},
        {"gif", {"gif"}, "image/gif", "GIF", false, true},
        {"bmp", {"bmp"}, "image/bmp", "BMP", false, true},
    };
    return formats;
}

const FileFormat *formatForSuffix(const QString &suffix)
{
    const QString lower = suffix.toLower();
    for (const FileFormat &format : fileFormats()) {
        if (format.suffixes.contains(lower))
            return &format;
    }
    return nullptr;
}

QStringList readableMimeTypes()
{
    QStringList types;
    for (const FileFormat &format : fileFormats())
        types << format.mimeType;
    return types;
}

QStringList writableSuffixes()
{
    QStringList suffixes;
    for (const FileFormat &format : fileFormats()) {
        if (format.writable)
            suffixes << format.suffixes;
    }
    return suffixes;
}

QByteArray formatForPath(const QString &path)
{
    const FileFormat *format = formatForSuffix(QFileInfo(path).suffix());
    return format && format->writable ? format->id : QByteArray();
}

} // namespace tintwell

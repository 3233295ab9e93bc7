// Clipboard and drop pictures: encoded bytes first, then Qt's decoded image.
#include "ClipboardPicture.h"

#include "ImageLimits.h"
#include "Reasons.h"

#include <QMimeData>

namespace tintwell {

namespace {

// The first encoded picture `data` holds (image/png, image/jpeg, ...), or
// nothing.
QByteArray encodedPicture(const QMimeData *data)
{
    for (const QString &format : data->formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        const QByteArray bytes = data->data(format);
        if (!bytes.isEmpty())
            return bytes;
    }
    return {};
}

} // namespace

LoadResult pictureFromMimeData(const QMimeData *data, const QString &name)
{
    LoadResult result;
    if (data == nullptr)
        return result;
    if (const QByteArray encoded = encodedPicture(data); !encoded.isEmpty())
        return loadImageData(encoded, name);
    if (!data->hasImage())
        return result;
    const QImage pasted = qvariant_cast<QImage>(data->imageData());
    if (pasted.isNull())
        return result;
    if (!fitsWorkingLayout(pasted.width(), pasted.height())) {
        result.error = Reasons::tr("cannot take the %1: %2 x %3 pixels is too large")
                           .arg(name)
                           .arg(pasted.width())
                           .arg(pasted.height());
        return result;
    }
    result.image = toWorkingLayout(pasted);
    if (result.image.isNull())
        result.error = Reasons::tr("cannot take the %1: out of memory").arg(name);
    return result;
}

} // namespace tintwell

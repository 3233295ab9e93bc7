#include "Preview.h"

#include "DisplayScaler.h"

namespace tintwell {

QSize previewSize(const QSize &size, const QSize &box)
{
    if (size.isEmpty() || box.isEmpty())
        return {};
    if (size.width() <= box.width() && size.height() <= box.height())
        return size;
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage thumbnail(const QImage &image, const QSize &box)
{
    const QSize size = previewSize(image.size(), box);
    if (image.isNull() || size.isEmpty())
        return {};
    return screenCopy(image, size);
}

// Only the render holds the render lock: the shrinking runs beside the
// window's next render, which so waits for one pass at most, never for the
// scaling.
QImage renderPreview(const QImage &source, const PassSettings &settings, const QSize &box)
{
    return thumbnail(renderFrom(source, settings), box);
}

} // namespace tintwell

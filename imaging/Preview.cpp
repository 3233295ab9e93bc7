#include "Preview.h"

#include "DisplayScaler.h"

#include <algorithm>

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

// The full-size result is gone before another render starts, so a preview
// made beside the window's renders never holds a further full-size picture
// while they run.
QImage renderPreview(const QImage &source, const PassSettings &settings, const QSize &box)
{
    const std::lock_guard<std::recursive_mutex> lock(renderMutex());
    return thumbnail(renderFrom(source, settings), box);
}

} // namespace tintwell

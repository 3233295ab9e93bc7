#include "ShareLink.h"

#include <QString>

#ifndef TINTWELL_SHARE_HOST
#error "TINTWELL_SHARE_HOST must name the host of the program's web page"
#endif

QUrl shareUrl()
{
    const QString text = QStringLiteral("https://www.facebook.com/sharer/sharer.php?u=")
                         + QStringLiteral(TINTWELL_SHARE_HOST) + QStringLiteral("/blog/?index=126");
    // Tolerant parsing keeps "/" and "?" of the query as they stand.
    return QUrl(text, QUrl::TolerantMode);
}

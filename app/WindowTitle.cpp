#include "WindowTitle.h"

#include <QCoreApplication>

QString windowTitleFor(const QString &name, const QSize &size)
{
    const QString program = QStringLiteral("Tintwell");
    if (name.isEmpty())
        return program;
    return QCoreApplication::translate("WindowTitle", "%1 (%2 × %3) — %4")
        .arg(name)
        .arg(size.width())
        .arg(size.height())
        .arg(program);
}

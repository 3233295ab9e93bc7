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

QString nameInSentence(const QString &name)
{
    //: Not shown. "lower-case" where a name like "Pasted picture" is written in
    //: lower case inside a sentence; "as-is" where it keeps its capitals.
    const QString rule = QCoreApplication::translate("WindowTitle", "lower-case");
    return rule == QLatin1String("as-is") ? name : name.toLower();
}

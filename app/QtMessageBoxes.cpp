#include "QtMessageBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>

void QtMessageBoxes::showError(const QString &text)
{
    QMessageBox::warning(m_parent, QGuiApplication::applicationDisplayName(), text);
}

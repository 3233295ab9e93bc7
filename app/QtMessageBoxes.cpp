#include "QtMessageBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>

void QtMessageBoxes::showError(const QString &text)
{
    QMessageBox::warning(m_parent, QGuiApplication::applicationDisplayName(), text);
}

void QtMessageBoxes::showAbout(const QString &text)
{
    QMessageBox::about(m_parent, QMessageBox::tr("About %1").arg(QGuiApplication::applicationDisplayName()),
                       text);
}

#include "QtMessageBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>

void QtMessageBoxes::showError(const QString &text)
{
    QMessageBox::warning(m_parent, QGuiApplication::applicationDisplayName(), text);
}

void QtMessageBoxes::showAbout(const QString &text)
{
    QMessageBox::about(m_parent, tr("About %1").arg(QGuiApplication::applicationDisplayName()),
                       text);
}

// Save is the default (Enter), Cancel answers Escape and the window's close
// button.
MessageBoxes::UnsavedChoice QtMessageBoxes::askToSave(const QString &question)
{
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(), question,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, m_parent);
    box.setInformativeText(tr("The filtered picture has changed since it was last saved. "
                              "If you discard it, the change is lost."));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return UnsavedChoice::Save;
    case QMessageBox::Discard:
        return UnsavedChoice::Discard;
    default:
        return UnsavedChoice::Cancel;
    }
}

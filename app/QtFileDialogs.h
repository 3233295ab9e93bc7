// FileDialogs shown to the user as modal QFileDialogs over the main window.
#pragma once

#include "FileDialogs.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

class QtFileDialogs final : public FileDialogs
{
    Q_DECLARE_TR_FUNCTIONS(QtFileDialogs)

public:
    explicit QtFileDialogs(QWidget *parent) : m_parent(parent) {}

    QString openImagePath(const QString &startFolder) override;
    QString saveImagePath(const QString &proposedPath) override;
    QString exportPngPath(const QString &proposedPath) override;

private:
    QPointer<QWidget> m_parent;
};

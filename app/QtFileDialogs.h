// FileDialogs shown to the user as modal QFileDialogs over the main window.
#pragma once

#include "FileDialogs.h"

#include <QPointer>
#include <QWidget>

class QtFileDialogs final : public FileDialogs
{
public:
    explicit QtFileDialogs(QWidget *parent) : m_parent(parent) {}

    QString openImagePath() override;
    QString saveImagePath() override;
    QString exportPngPath() override;

private:
    QPointer<QWidget> m_parent;
};

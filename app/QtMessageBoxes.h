// MessageBoxes shown to the user as modal QMessageBoxes over the main window.
#pragma once

#include "MessageBoxes.h"

#include <QPointer>
#include <QWidget>

class QtMessageBoxes final : public MessageBoxes
{
public:
    explicit QtMessageBoxes(QWidget *parent) : m_parent(parent) {}

    void showError(const QString &text) override;
    void showAbout(const QString &text) override;
    UnsavedChoice askToSave(const QString &question) override;

private:
    QPointer<QWidget> m_parent;
};

// MessageBoxes shown to the user as modal QMessageBoxes over the main window.
#pragma once

#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

class QtMessageBoxes final : public MessageBoxes
{
    Q_DECLARE_TR_FUNCTIONS(QtMessageBoxes)

public:
    explicit QtMessageBoxes(QWidget *parent) : m_parent(parent) {}

    void showError(const QString &text) override;
    void showAbout(const QString &text) override;
    UnsavedChoice askToSave(const QString &question) override;

private:
    QPointer<QWidget> m_parent;
};

// Keeps the editor window open while its result is unsaved and the user
// cancels: closing it (close button, Quit, the window manager) asks first.
#pragma once

#include <QObject>

class AppController;

class CloseGuard : public QObject
{
    Q_OBJECT

public:
    explicit CloseGuard(AppController &controller, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppController &m_controller;
};

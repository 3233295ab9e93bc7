#include "HoldKey.h"

#include <QApplication>
#include <QKeyEvent>

HoldKey::HoldKey(Qt::Key key, QWidget *window, QObject *parent)
    : QObject(parent), m_key(key), m_window(window)
{
    qApp->installEventFilter(this);
}

HoldKey::~HoldKey()
{
    qApp->removeEventFilter(this);
}

bool HoldKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate && watched == m_window) {
        setDown(false); // the release will go to another window
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != m_key || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (widget == nullptr || m_window == nullptr || widget->window() != m_window)
        return false;
    if (!key->isAutoRepeat())
        setDown(event->type() == QEvent::KeyPress);
    return true;
}

void HoldKey::setDown(bool down)
{
    if (down == m_down)
        return;
    m_down = down;
    emit held(down);
}

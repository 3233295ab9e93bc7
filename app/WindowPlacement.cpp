#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void placeFirstWindow(QWidget *window)
{
    QScreen *screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    const QSize size =
        (available.size() * 2 / 3).expandedTo(window->minimumSizeHint()).boundedTo(available.size());
    window->resize(size);
    QRect frame(QPoint(), size);
    frame.moveCenter(available.center());
    window->move(frame.topLeft());
}

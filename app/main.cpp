// Process entry: the application object, the editor window and its event loop.
#include "AppDelegate.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tintwell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tintwell"));
    QApplication::setDesktopFileName(QStringLiteral("tintwell"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tintwell.png")));

    AppDelegate delegate;
    delegate.window()->show();
    return app.exec();
}

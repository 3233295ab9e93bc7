// Process entry: the application object, the editor window, the picture named
// on the command line, and the event loop.
#include "AppController.h"
#include "AppDelegate.h"
#include "FileIO.h"
#include "LaunchArguments.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tintwell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tintwell"));
    QApplication::setApplicationVersion(QStringLiteral(TINTWELL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tintwell"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tintwell.png")));

    // The picture's name exactly as given, also when it is not UTF-8 (argv
    // no longer holds the options QApplication took).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(tintwell::pathFromBytes(argv[i]));

    const LaunchArguments launch = parseLaunchArguments(arguments);
    if (!launch.error.isEmpty()) {
        std::fprintf(stderr, "tintwell: %s\n\n%s", qPrintable(launch.error), qPrintable(launch.helpText));
        return 2;
    }
    if (launch.help || launch.version) {
        const QString text = launch.help ? launch.helpText
                                         : QApplication::applicationName() + QLatin1Char(' ')
                                               + QApplication::applicationVersion() + QLatin1Char('\n');
        std::fputs(qPrintable(text), stdout);
        return 0;
    }

    AppDelegate delegate;
    delegate.window()->show();
    openFromArguments(*delegate.controller(), arguments);
    return app.exec();
}

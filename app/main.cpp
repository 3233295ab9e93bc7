// Process entry: the application object, the editor window, the picture named
// on the command line, and the event loop.
#include "AppController.h"
#include "AppDelegate.h"
#include "FileIO.h"
#include "LaunchArguments.h"
#include "Translations.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>

#include <cstdio>

#ifndef TINTWELL_APP_ID
#error "TINTWELL_APP_ID must give the application ID (the desktop entry's name)"
#endif

namespace {

QStringList rawArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    // Help and version are text: they must work where there is no display
    // (a terminal over ssh, a package build), so no window system is loaded.
    if (asksOnlyForText(rawArguments(argc, argv)))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tintwell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tintwell"));
    QApplication::setApplicationVersion(QStringLiteral(TINTWELL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(TINTWELL_APP_ID));
    // The user's language from the system locale (LANG, LC_MESSAGES,
    // LANGUAGE), also for the help text.
    installTranslations();
    // The installed icon of the theme, named by the application ID; the built-in
    // copy when the program runs uninstalled.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral(TINTWELL_APP_ID), QIcon(QStringLiteral(":/icons/tintwell.png"))));

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
    if (launch.helpAll)
        showHelpWithQtOptions(QApplication::arguments());
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

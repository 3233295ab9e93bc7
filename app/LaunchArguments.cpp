#include "LaunchArguments.h"

#include "AppController.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

LaunchArguments parseLaunchArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("LaunchArguments", "Per-pixel colour filters for your pictures."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("picture"),
                                 QCoreApplication::translate("LaunchArguments", "JPEG or PNG file to open."),
                                 QStringLiteral("[picture]"));

    LaunchArguments result;
    result.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    result.help = parser.isSet(helpOption);
    result.version = parser.isSet(versionOption);
    const QStringList pictures = parser.positionalArguments();
    if (!pictures.isEmpty()) {
        QString path = pictures.constFirst();
        if (path.startsWith(QLatin1String("file:")))
            path = QUrl(path).toLocalFile();
        if (!path.isEmpty())
            result.picture = QFileInfo(path).absoluteFilePath();
    }
    return result;
}

bool openFromArguments(AppController &controller, const QStringList &arguments)
{
    const LaunchArguments launch = parseLaunchArguments(arguments);
    if (launch.picture.isEmpty())
        return true;
    return controller.openFile(launch.picture);
}

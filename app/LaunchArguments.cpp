#include "LaunchArguments.h"

#include "AppController.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <cstdlib>

namespace {

struct LaunchOptions {
    QCommandLineOption help;
    QCommandLineOption version;
};

LaunchOptions describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QCoreApplication::translate("LaunchArguments", "Per-pixel colour filters for your pictures."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QCoreApplication::translate("LaunchArguments", "picture"),
                                 QCoreApplication::translate("LaunchArguments", "JPEG or PNG file to open."),
                                 QCoreApplication::translate("LaunchArguments", "[picture]"));
    return {help, version};
}

} // namespace

LaunchArguments parseLaunchArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    const LaunchOptions options = describe(parser);

    LaunchArguments result;
    result.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    result.help = parser.isSet(options.help);
    result.helpAll = parser.isSet(QStringLiteral("help-all"));
    result.version = parser.isSet(options.version);
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

bool asksOnlyForText(const QStringList &arguments)
{
    static const QStringList textOptions = {
        QStringLiteral("-h"), QStringLiteral("-?"), QStringLiteral("--help"), QStringLiteral("--help-all"),
        QStringLiteral("-v"), QStringLiteral("--version")};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--"))
            return false;
        if (textOptions.contains(arguments.at(i)))
            return true;
    }
    return false;
}

void showHelpWithQtOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    QStringList helpAll = arguments.mid(0, 1);
    helpAll << QStringLiteral("--help-all");
    parser.process(helpAll); // prints and exits
    std::exit(EXIT_SUCCESS);
}

void openFromArguments(AppController &controller, const QStringList &arguments)
{
    const LaunchArguments launch = parseLaunchArguments(arguments);
    if (!launch.picture.isEmpty())
        controller.openInBackground(launch.picture);
}

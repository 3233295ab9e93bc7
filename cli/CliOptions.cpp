// Option table and validation of tintwell-cli's command line.
#include "CliOptions.h"

#include "IntegerArgument.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace tintwell::cli {

namespace {

const char *const description =
    "Filters pictures with one of 25 per-pixel filters (0-24; any other\n"
    "--filter number leaves the colours to the offsets and flags alone).\n"
    "\n"
    "  tintwell-cli [options] INPUT OUTPUT\n"
    "      Filters one file. OUTPUT's suffix picks the format: .jpg/.jpeg\n"
    "      (JPEG, quality 100) or .png (lossless).\n"
    "  tintwell-cli [options] --output-dir DIR [--format jpg|png] INPUT...\n"
    "      Filters many files. Each result is DIR/<name>.<format>, where <name>\n"
    "      is the input's file name without its last suffix\n"
    "      (photo.v2.png -> DIR/photo.v2.jpg). The default format is jpg.\n"
    "\n"
    "Exit status: 0 on success, 1 if any file could not be read or written,\n"
    "2 on a usage error. An output that is the same file as an input is\n"
    "refused; a failed write never damages an existing file.";

ParseResult usageError(const QString &message, const QString &helpText)
{
    ParseResult result;
    result.kind = ParseResult::Kind::UsageError;
    result.text = message;
    result.usageLine = helpText.section(QLatin1Char('\n'), 0, 0);
    return result;
}

} // namespace

ParseResult parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(description));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();

    const QCommandLineOption filterOption(
        QStringLiteral("filter"), QStringLiteral("Filter index, 32-bit signed (default 0)."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption valueOption(
        QStringLiteral("value"), QStringLiteral("Control value, 64-bit signed (default 0)."),
        QStringLiteral("V"), QStringLiteral("0"));
    const QCommandLineOption redOption(
        QStringLiteral("red"), QStringLiteral("Offset added to red, 32-bit signed (default 0)."),
        QStringLiteral("R"), QStringLiteral("0"));
    const QCommandLineOption greenOption(
        QStringLiteral("green"), QStringLiteral("Offset added to green, 32-bit signed (default 0)."),
        QStringLiteral("G"), QStringLiteral("0"));
    const QCommandLineOption blueOption(
        QStringLiteral("blue"), QStringLiteral("Offset added to blue, 32-bit signed (default 0)."),
        QStringLiteral("B"), QStringLiteral("0"));
    const QCommandLineOption negativeOption(
        QStringLiteral("negative"), QStringLiteral("Negate the three colour bytes (256 - v)."));
    const QCommandLineOption reverseOption(
        QStringLiteral("reverse"), QStringLiteral("Exchange red and blue."));
    const QCommandLineOption outputDirOption(
        QStringLiteral("output-dir"), QStringLiteral("Batch mode: write the results into DIR."),
        QStringLiteral("DIR"));
    const QCommandLineOption formatOption(
        QStringLiteral("format"), QStringLiteral("Batch mode: jpg (default), jpeg or png."),
        QStringLiteral("FORMAT"), QStringLiteral("jpg"));
    parser.addOptions({filterOption, valueOption, redOption, greenOption, blueOption,
                       negativeOption, reverseOption, outputDirOption, formatOption});
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("Picture to filter."),
                                 QStringLiteral("INPUT OUTPUT | --output-dir DIR INPUT..."));

    const QString helpText = parser.helpText();
    if (!parser.parse(arguments))
        return usageError(parser.errorText(), helpText);

    if (parser.isSet(helpOption)) {
        ParseResult result;
        result.kind = ParseResult::Kind::Help;
        result.text = helpText;
        return result;
    }
    if (parser.isSet(versionOption)) {
        ParseResult result;
        result.kind = ParseResult::Kind::Version;
        result.text = QCoreApplication::applicationName() + QLatin1Char(' ')
                      + QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }

    CliOptions options;
    QString error;
    const auto int32Option = [&](const QCommandLineOption &option, qint32 &target) {
        if (!error.isEmpty())
            return;
        const QString text = parser.value(option);
        if (const auto parsed = parseInt32(text))
            target = *parsed;
        else
            error = QStringLiteral("--%1 needs a 32-bit integer, not \"%2\"")
                        .arg(option.names().constFirst(), text);
    };
    int32Option(filterOption, options.settings.filter);
    if (error.isEmpty()) {
        const QString text = parser.value(valueOption);
        if (const auto parsed = parseInt64(text))
            options.settings.value = *parsed;
        else
            error = QStringLiteral("--value needs a 64-bit integer, not \"%1\"").arg(text);
    }
    int32Option(redOption, options.settings.red);
    int32Option(greenOption, options.settings.green);
    int32Option(blueOption, options.settings.blue);
    if (!error.isEmpty())
        return usageError(error, helpText);
    options.settings.negative = parser.isSet(negativeOption);
    options.settings.reverse = parser.isSet(reverseOption);

    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(outputDirOption)) {
        options.batch = true;
        options.outputDir = parser.value(outputDirOption);
        if (options.outputDir.isEmpty())
            return usageError(QStringLiteral("--output-dir needs a directory"), helpText);
        const QString format = parser.value(formatOption);
        if (format != QLatin1String("jpg") && format != QLatin1String("jpeg")
            && format != QLatin1String("png"))
            return usageError(QStringLiteral("--format must be jpg, jpeg or png, not \"%1\"").arg(format),
                              helpText);
        options.formatSuffix = format;
        options.format = formatForPath(QStringLiteral("x.") + format);
        if (positional.isEmpty())
            return usageError(QStringLiteral("no input files given"), helpText);
        options.inputs = positional;
    } else {
        if (parser.isSet(formatOption))
            return usageError(QStringLiteral("--format is only for --output-dir; OUTPUT's suffix "
                                             "gives the format"),
                              helpText);
        if (positional.size() != 2)
            return usageError(QStringLiteral("expected INPUT and OUTPUT, got %1 file argument(s)")
                                  .arg(positional.size()),
                              helpText);
        options.inputs = {positional.at(0)};
        options.output = positional.at(1);
        options.format = formatForPath(options.output);
        if (options.format.isEmpty())
            return usageError(QStringLiteral("OUTPUT must end in .jpg, .jpeg or .png: %1")
                                  .arg(options.output),
                              helpText);
    }

    for (const QString &input : std::as_const(options.inputs)) {
        if (input.isEmpty())
            return usageError(QStringLiteral("empty file name"), helpText);
    }

    ParseResult result;
    result.kind = ParseResult::Kind::Run;
    result.options = options;
    return result;
}

} // namespace tintwell::cli

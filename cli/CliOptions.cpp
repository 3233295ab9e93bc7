// Option table and validation of tintwell-cli's command line.
#include "CliOptions.h"

#include "Formats.h"
#include "IntegerArgument.h"
#include "StepOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace tintwell::cli {

namespace {

// "a, b or c" (or "a, b and c")
QString listed(const QStringList &items, const QString &last = QStringLiteral(" or "))
{
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + last + items.last();
}

// ".jpg, .jpeg or .png": the suffixes an OUTPUT may end in.
QString outputSuffixes()
{
    QStringList dotted;
    for (const QString &suffix : writableSuffixes())
        dotted << QLatin1Char('.') + suffix;
    return listed(dotted);
}

// The help text's formats come from the format table: what is read, and which
// suffix writes what.
QString description()
{
    QStringList read;
    QStringList written;
    for (const FileFormat &format : fileFormats()) {
        read << format.name;
        if (format.writable) {
            written << QStringLiteral(".%1 (%2%3)")
                           .arg(format.suffixes.join(QStringLiteral("/.")), format.name,
                                format.keepsAlpha ? QStringLiteral(", lossless, alpha kept")
                                                  : QStringLiteral(", quality 100, no chroma subsampling"));
        }
    }
    return QStringLiteral(
               "Filters pictures with one of 25 per-pixel filters (0-24; any other\n"
               "--filter number leaves the colours to the offsets and flags alone).\n"
               "Reads %1 files (recognised by\n"
               "content), turned upright by their orientation.\n"
               "\n"
               "  tintwell-cli [options] INPUT OUTPUT\n"
               "      Filters one file. OUTPUT's suffix picks the format:\n"
               "      %2.\n"
               "      The colour profile of INPUT goes with the result.\n"
               "  tintwell-cli [options] --output-dir DIR [--format %3] INPUT...\n"
               "      Filters many files. Each result is DIR/<name>.<format>, where <name>\n"
               "      is the input's file name without its last suffix\n"
               "      (photo.v2.png -> DIR/photo.v2.jpg). The default format is jpg.\n"
               "      With more than one file and stderr on a terminal, a line there\n"
               "      shows the file being filtered ([3/8] photo3.jpg).\n"
               "  An INPUT of - reads standard input; an OUTPUT of - writes standard\n"
               "  output in the format --format names. Only regular files are read or\n"
               "  written otherwise (a symbolic link to one writes the file it points to).\n"
               "\n"
               "Steps: --then starts another step, run on the previous step's result:\n"
               "  tintwell-cli --filter 3 --value 7 --negative --then --filter 8 IN OUT\n"
               "The step options (--filter --value --red --green --blue --negative\n"
               "--reverse) after a --then belong to its step. Omitted ones take their\n"
               "defaults (nothing carries over); a repeated one counts with its last\n"
               "value. Other options and the file names may go anywhere. The result is\n"
               "encoded once, after the last step.\n"
               "\n"
               "Exit status: 0 on success, 1 if any file could not be read or written,\n"
               "2 on a usage error. An output that is the same file as an input is\n"
               "refused; a failed write never damages an existing file.")
        .arg(listed(read, QStringLiteral(" and ")), written.join(QStringLiteral("\n      or ")), writableSuffixes().join(QLatin1Char('|')));
}

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
    parser.setApplicationDescription(description());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();

    const StepOptions stepOptions;
    stepOptions.addTo(parser);
    const QCommandLineOption outputDirOption(
        QStringLiteral("output-dir"), QStringLiteral("Batch mode: write the results into DIR."),
        QStringLiteral("DIR"));
    const QCommandLineOption formatOption(
        QStringLiteral("format"),
        QStringLiteral("Batch mode and an OUTPUT of -: %1 (jpg by default in batch mode), in any case.")
            .arg(listed(writableSuffixes())),
        QStringLiteral("FORMAT"), QStringLiteral("jpg"));
    const QCommandLineOption memoryLimitOption(
        QStringLiteral("memory-limit"),
        QStringLiteral("Memory the pictures of a run may take at once: bytes, or a number with K, M "
                       "or G (default: half the memory available at the start)."),
        QStringLiteral("BYTES"));
    parser.addOptions({outputDirOption, formatOption, memoryLimitOption});
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("Picture to filter."),
                                 QStringLiteral("INPUT OUTPUT | --output-dir DIR INPUT..."));

    const QString helpText = parser.helpText();
    if (!parser.parse(arguments))
        return usageError(parser.errorText(), helpText);

    // The program has no Qt options worth listing: --help-all is --help.
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
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

    // "--then" is never an option's value, even where any text would do.
    for (const QString &name : parser.optionNames()) {
        if (parser.values(name).contains(QLatin1String("--then")))
            return usageError(QStringLiteral("--%1 needs a value before --then").arg(name), helpText);
    }

    CliOptions options;
    QString error;
    options.steps = stepOptions.read(parser, error);
    if (options.steps.isEmpty())
        return usageError(error, helpText);

    for (const QCommandLineOption &once : {outputDirOption, formatOption, memoryLimitOption}) {
        if (parser.values(once).size() > 1)
            return usageError(QStringLiteral("--%1 may be given only once").arg(once.names().constFirst()),
                              helpText);
    }
    if (parser.isSet(memoryLimitOption)) {
        const QString text = parser.value(memoryLimitOption);
        const std::optional<qint64> limit = parseByteCount(text);
        if (!limit || *limit <= 0)
            return usageError(QStringLiteral("--memory-limit needs a number of bytes with an optional "
                                             "K, M or G, not \"%1\"")
                                  .arg(text),
                              helpText);
        options.memoryLimit = *limit;
    }
    // Any case, as file suffixes are taken: --format PNG works like .PNG.
    const QString format = parser.value(formatOption).toLower();
    const bool formatValid = writableSuffixes().contains(format);
    const auto formatError = [&] {
        return usageError(QStringLiteral("--format must be %1, not \"%2\"")
                              .arg(listed(writableSuffixes()), parser.value(formatOption)),
                          helpText);
    };

    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(outputDirOption)) {
        options.batch = true;
        options.outputDir = parser.value(outputDirOption);
        if (options.outputDir.isEmpty())
            return usageError(QStringLiteral("--output-dir needs a directory"), helpText);
        if (!formatValid)
            return formatError();
        options.formatSuffix = format;
        options.format = formatForPath(QStringLiteral("x.") + format);
        if (positional.isEmpty())
            return usageError(QStringLiteral("no input files given"), helpText);
        if (positional.contains(QLatin1String("-")))
            return usageError(QStringLiteral("standard input (-) is read only in INPUT OUTPUT mode"), helpText);
        options.inputs = positional;
    } else {
        if (positional.size() != 2)
            return usageError(QStringLiteral("expected INPUT and OUTPUT, got %1 file argument(s)")
                                  .arg(positional.size()),
                              helpText);
        options.inputs = {positional.at(0)};
        options.output = positional.at(1);
        if (options.output == QLatin1String("-")) {
            if (!parser.isSet(formatOption))
                return usageError(QStringLiteral("writing to standard output (-) needs --format"), helpText);
            if (!formatValid)
                return formatError();
            options.format = formatForPath(QStringLiteral("x.") + format);
        } else {
            if (parser.isSet(formatOption))
                return usageError(QStringLiteral("--format is only for --output-dir and an OUTPUT of -; "
                                                 "OUTPUT's suffix gives the format"),
                                  helpText);
            options.format = formatForPath(options.output);
            if (options.format.isEmpty())
                return usageError(QStringLiteral("OUTPUT must end in %1: %2")
                                      .arg(outputSuffixes(), options.output),
                                  helpText);
        }
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

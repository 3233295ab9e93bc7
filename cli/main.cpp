// tintwell-cli: filters picture files from the command line.
#include "CliOptions.h"
#include "CliRunner.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tintwell-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TINTWELL_VERSION));

    QTextStream out(stdout);
    QTextStream errors(stderr);
    using tintwell::cli::ParseResult;
    const ParseResult parsed = tintwell::cli::parseCommandLine(QCoreApplication::arguments());
    switch (parsed.kind) {
    case ParseResult::Kind::Help:
    case ParseResult::Kind::Version:
        out << parsed.text;
        return 0;
    case ParseResult::Kind::UsageError:
        errors << QCoreApplication::applicationName() << ": " << parsed.text << '\n'
               << parsed.usageLine << "\nRun '" << QCoreApplication::applicationName()
               << " --help' for the options.\n";
        return 2;
    case ParseResult::Kind::Run:
        break;
    }
    return tintwell::cli::runCli(parsed.options, errors);
}

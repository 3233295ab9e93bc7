#include "Recipe.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString shellQuote(const QString &word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QStringList stepArguments(const tintwell::PassSettings &step)
{
    QStringList args{QStringLiteral("--filter"), QString::number(step.filter),
                     QStringLiteral("--value"), QString::number(step.value)};
    const auto offset = [&args](const char *name, qint32 value) {
        if (value != 0)
            args << QStringLiteral("--") + QLatin1String(name) << QString::number(value);
    };
    offset("red", step.red);
    offset("green", step.green);
    offset("blue", step.blue);
    if (step.negative)
        args << QStringLiteral("--negative");
    if (step.reverse)
        args << QStringLiteral("--reverse");
    return args;
}

QString commandOutputPath(const QString &inputPath)
{
    const QFileInfo input(inputPath);
    return input.dir().filePath(input.completeBaseName() + QStringLiteral("-tintwell.png"));
}

QString commandLine(const QString &inputPath, const QList<tintwell::PassSettings> &steps)
{
    QStringList words{QStringLiteral("tintwell-cli")};
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (i > 0)
            words << QStringLiteral("--then");
        words << stepArguments(steps.at(i));
    }
    words << shellQuote(inputPath) << shellQuote(commandOutputPath(inputPath));
    return words.join(QLatin1Char(' '));
}

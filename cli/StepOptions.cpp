// Reading the steps of a tintwell-cli command line from the options in the
// order the parser found them.
#include "StepOptions.h"

#include "IntegerArgument.h"

#include <QHash>

namespace tintwell::cli {

namespace {

QCommandLineOption valued(const char *name, const char *help, const char *valueName)
{
    return QCommandLineOption(QLatin1String(name), QLatin1String(help), QLatin1String(valueName),
                              QStringLiteral("0"));
}

} // namespace

StepOptions::StepOptions()
    : m_filter(valued("filter", "Filter index, 32-bit signed (default 0).", "N"))
    , m_value(valued("value", "Control value, 64-bit signed (default 0).", "V"))
    , m_red(valued("red", "Offset added to red, 32-bit signed (default 0).", "R"))
    , m_green(valued("green", "Offset added to green, 32-bit signed (default 0).", "G"))
    , m_blue(valued("blue", "Offset added to blue, 32-bit signed (default 0).", "B"))
    , m_negative(QStringLiteral("negative"), QStringLiteral("Negate the three colour bytes (256 - v)."))
    , m_reverse(QStringLiteral("reverse"), QStringLiteral("Exchange red and blue."))
    , m_then(QStringLiteral("then"),
             QStringLiteral("Start the next step: the step options after it filter the previous "
                            "step's result; omitted ones take their defaults."))
{
}

void StepOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({m_filter, m_value, m_red, m_green, m_blue, m_negative, m_reverse, m_then});
}

QList<PassSettings> StepOptions::read(const QCommandLineParser &parser, QString &error) const
{
    const QString filter = m_filter.names().constFirst();
    const QString value = m_value.names().constFirst();
    const QString red = m_red.names().constFirst();
    const QString green = m_green.names().constFirst();
    const QString blue = m_blue.names().constFirst();
    const QString negative = m_negative.names().constFirst();
    const QString reverse = m_reverse.names().constFirst();
    const QString then = m_then.names().constFirst();

    QList<PassSettings> steps(1);
    bool stepHasOption = true; // the first step may be all defaults
    QHash<QString, qsizetype> valuesTaken; // per option: values already read

    const auto fail = [&](const QString &message) {
        error = steps.size() > 1 ? QStringLiteral("step %1: %2").arg(steps.size()).arg(message)
                                 : message;
        return QList<PassSettings>();
    };
    // Returns the option's next value in command-line order.
    const auto nextValue = [&](const QString &name) {
        return parser.values(name).value(valuesTaken[name]++);
    };
    const auto int32Into = [&](const QString &name, qint32 &target) {
        const QString text = nextValue(name);
        if (const auto parsed = parseInt32(text)) {
            target = *parsed;
            return true;
        }
        error = QStringLiteral("--%1 needs a 32-bit integer, not \"%2\"").arg(name, text);
        return false;
    };
    const auto int64Into = [&](const QString &name, qint64 &target) {
        const QString text = nextValue(name);
        if (const auto parsed = parseInt64(text)) {
            target = *parsed;
            return true;
        }
        error = QStringLiteral("--%1 needs a 64-bit integer, not \"%2\"").arg(name, text);
        return false;
    };

    for (const QString &name : parser.optionNames()) {
        PassSettings &step = steps.last();
        if (name == then) {
            if (!stepHasOption)
                return fail(QStringLiteral("--then must be followed by the options of its step"));
            steps.append(PassSettings{});
            stepHasOption = false;
            continue;
        }
        bool ok = true;
        if (name == filter) {
            ok = int32Into(name, step.filter);
        } else if (name == value) {
            ok = int64Into(name, step.value);
        } else if (name == red) {
            ok = int32Into(name, step.red);
        } else if (name == green) {
            ok = int32Into(name, step.green);
        } else if (name == blue) {
            ok = int32Into(name, step.blue);
        } else if (name == negative) {
            step.negative = true;
        } else if (name == reverse) {
            step.reverse = true;
        } else {
            continue; // not a step option
        }
        if (!ok)
            return fail(error);
        stepHasOption = true;
    }
    if (!stepHasOption)
        return fail(QStringLiteral("--then must be followed by the options of its step"));
    return steps;
}

} // namespace tintwell::cli

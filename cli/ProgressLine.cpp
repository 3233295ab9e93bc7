// A progress line on a terminal: '\r' and spaces, no escape sequences.
#include "ProgressLine.h"

#include <QFileInfo>

#include <algorithm>

#include <sys/ioctl.h>
#include <unistd.h>

namespace tintwell::cli {

int terminalColumns(FILE *stream)
{
    const int fd = ::fileno(stream);
    if (fd < 0 || !::isatty(fd))
        return 0;
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80; // a terminal that does not say
}

ProgressLine::ProgressLine(QTextStream &stream, int columns, qsizetype total)
    : m_stream(stream)
    , m_columns(columns)
    , m_total(total)
{
}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::show(qsizetype number, const QString &name)
{
    if (m_columns <= 0)
        return;
    const QString prefix = QStringLiteral("[%1/%2] ").arg(number).arg(m_total);
    QString file = QFileInfo(name).fileName();
    // One column short of the width, so the line never wraps.
    const qsizetype room = std::max<qsizetype>(m_columns - 1 - prefix.size(), 4);
    if (file.size() > room)
        file = QStringLiteral("...") + file.right(room - 3);
    const QString text = prefix + file;
    const qsizetype blanks = std::max<qsizetype>(m_shown.size() - text.size(), 0);
    write(QLatin1Char('\r') + text + QString(blanks, QLatin1Char(' ')));
    m_shown = text;
}

void ProgressLine::line(const QString &text)
{
    const QString shown = m_shown;
    clear();
    write(text + QLatin1Char('\n'));
    if (!shown.isEmpty())
        write(QLatin1Char('\r') + shown);
    m_shown = shown;
}

void ProgressLine::write(const QString &text)
{
    m_stream << text;
    m_stream.flush();
}

void ProgressLine::clear()
{
    if (m_shown.isEmpty())
        return;
    write(QLatin1Char('\r') + QString(m_shown.size(), QLatin1Char(' ')) + QLatin1Char('\r'));
    m_shown.clear();
}

} // namespace tintwell::cli

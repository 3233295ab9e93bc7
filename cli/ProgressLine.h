// The "[3/8] photo3.jpg" line a batch shows on a terminal, rewritten in place,
// and whole report lines printed around it.
#pragma once

#include <QString>
#include <QTextStream>

#include <cstdio>

namespace tintwell::cli {

// The width of the terminal `stream` writes to, or 0 when it is no terminal.
int terminalColumns(FILE *stream);

// Writes to `stream`, a terminal `columns` wide. With columns 0 (no terminal)
// there is no progress: line() is a plain write and show() does nothing.
class ProgressLine
{
public:
    ProgressLine(QTextStream &stream, int columns, qsizetype total);
    ~ProgressLine(); // clears the line

    // Replaces the line with "[number/total] name", cut to the width.
    void show(qsizetype number, const QString &name);

    // Prints `text` and a newline as a line of its own: the progress line is
    // cleared first and drawn again after.
    void line(const QString &text);

private:
    void write(const QString &text);
    void clear();

    QTextStream &m_stream;
    int m_columns;
    qsizetype m_total;
    QString m_shown; // the text on the line now; empty when clear
};

} // namespace tintwell::cli

// The per-step options of tintwell-cli (--filter ... --reverse) and "--then",
// which starts the next step; reads the steps back in command-line order.
#pragma once

#include "ImagePath.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

namespace tintwell::cli {

// The option table of one step, plus "--then". Options omitted from a step
// take their defaults; nothing carries over from the step before.
class StepOptions
{
public:
    StepOptions();

    // Adds every step option and "--then" to `parser`.
    void addTo(QCommandLineParser &parser) const;

    // Splits the options `parser` found at each "--then" and reads each
    // step's settings; within a step the last of a repeated option counts.
    // Returns no steps, with `error` set, when a number is malformed or a
    // "--then" is not followed by an option of its step.
    QList<PassSettings> read(const QCommandLineParser &parser, QString &error) const;

private:
    QCommandLineOption m_filter;
    QCommandLineOption m_value;
    QCommandLineOption m_red;
    QCommandLineOption m_green;
    QCommandLineOption m_blue;
    QCommandLineOption m_negative;
    QCommandLineOption m_reverse;
    QCommandLineOption m_then;
};

} // namespace tintwell::cli

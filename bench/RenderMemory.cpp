// tintwell-render-memory: the app's peak memory while rendering. Opens the
// picture given on the command line in the real window (offscreen), moves the
// main slider a number of times, and prints the process's peak resident size
// against the budget of the source picture, two further copies and 64 MB.
#include "AppController.h"
#include "AppDelegate.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QSlider>
#include <QTextStream>

#include <cstdio>

namespace {

// A field of /proc/self/status in MiB ("VmHWM", "VmRSS"), or -1.
double statusMiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tintwell-render-memory PICTURE [RENDERS]\n");
        return 2;
    }
    const int renders = argc > 2 ? QByteArray(argv[2]).toInt() : 9;

    AppDelegate delegate;
    delegate.window()->resize(1280, 800);
    delegate.window()->show();
    const double before = statusMiB("VmHWM");
    AppController *controller = delegate.controller();
    if (!controller->openFile(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    for (int i = 0; i < renders; ++i)
        controller->slider->setValue(10 + i % 2);
    const double source = double(controller->current_image.sizeInBytes()) / (1024.0 * 1024.0);
    const double peak = statusMiB("VmHWM");
    // The whole process counts, Qt and the window included.
    const double budget = 3 * source + 64;
    QTextStream(stdout) << "picture " << controller->current_image.width() << " x "
                        << controller->current_image.height() << ", " << renders << " renders\n"
                        << "resident before opening: " << before << " MiB\n"
                        << "source picture: " << source << " MiB\n"
                        << "peak resident: " << peak << " MiB\n"
                        << "budget (source + two copies + 64 MB): " << budget << " MiB\n"
                        << (peak <= budget ? "within budget\n" : "over budget\n");
    return peak <= budget ? 0 : 1;
}

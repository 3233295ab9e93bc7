#include "EntryPoints.h"

#include <QComboBox>
#include <QProcess>
#include <QSlider>

Outcome EntryPointFixture::filterFile(Entry entry, const QString &input, const QString &output, int filter,
                                      int value)
{
    if (entry == Entry::Cli) {
        QProcess cli;
        cli.start(QStringLiteral(TINTWELL_CLI_PATH),
                  {QStringLiteral("--filter=%1").arg(filter), QStringLiteral("--value=%1").arg(value), input, output});
        EXPECT_TRUE(cli.waitForFinished(-1));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        return {cli.exitCode() == 0, QString::fromLocal8Bit(cli.readAllStandardError())};
    }
    messages->errors.clear();
    c->filter_selector->setCurrentIndex(filter);
    c->slider->setValue(value);
    open(input);
    if (messages->errors.isEmpty()) {
        if (output.endsWith(QLatin1String(".png"))) {
            dialogs->exportAnswers << output;
            c->exportPng();
        } else {
            dialogs->saveAnswers << output;
            c->saveImage();
        }
    }
    return {messages->errors.isEmpty(), messages->errors.join(QLatin1Char('\n'))};
}

#include "AppFixture.h"

#include <QTest>

void AppFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    QApplication::clipboard()->clear();
    auto scripted = std::make_unique<ScriptedFileDialogs>();
    auto recording = std::make_unique<RecordingMessages>();
    std::tie(dialogs, messages) = std::pair(scripted.get(), recording.get());
    delegate = std::make_unique<AppDelegate>(std::move(scripted), std::move(recording));
    c = delegate->controller();
    delegate->window()->show();
    QApplication::processEvents();
}

void AppFixture::finishJobs()
{
    EXPECT_TRUE(QTest::qWaitFor([this] { return !c->jobs().isBusy(); }, 120000));
}

void AppFixture::set(const tintwell::PassSettings &s)
{
    c->filter_selector->setCurrentIndex(s.filter);
    c->slider->setValue(int(s.value));
    c->slider_red->setValue(s.red), c->slider_green->setValue(s.green), c->slider_blue->setValue(s.blue);
    c->check_box->setChecked(s.negative);
    c->reverse_box->setChecked(s.reverse);
}

Outcome AppFixture::filterFile(Entry entry, const QString &input, const QString &output,
                               const tintwell::PassSettings &s)
{
    if (entry == Entry::CliJpg || entry == Entry::CliPng) {
        QProcess cli;
        cli.start(QStringLiteral(TINTWELL_CLI_PATH), {QStringLiteral("--filter=%1").arg(s.filter),
                                                      QStringLiteral("--value=%1").arg(s.value), input, output});
        EXPECT_TRUE(cli.waitForFinished(-1));
        return {cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0,
                QString::fromLocal8Bit(cli.readAllStandardError())};
    }
    messages->errors.clear();
    set(s);
    open(input);
    if (messages->errors.isEmpty() && entry == Entry::AppSave)
        dialogs->saveAnswers << output, c->saveImage();
    else if (messages->errors.isEmpty())
        dialogs->exportAnswers << output, c->setAsSource(), c->exportPng();
    finishJobs();
    return {messages->errors.isEmpty(), messages->errors.join(QLatin1Char('\n'))};
}

// Export as PNG (lossless, alpha kept) and Copy as Command: the command text
// for opened, stacked and pasted pictures, and the command run by a real shell
// giving the same bytes as the export.
#include "AppFixture.h"
#include "ImagePath.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSlider>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ExportAndCommand : public AppFixture
{
protected:
    void set(int filter, int value, int red, int green, int blue, bool negative, bool reverse)
    {
        c->filter_selector->setCurrentIndex(filter);
        c->slider->setValue(value);
        c->slider_red->setValue(red);
        c->slider_green->setValue(green);
        c->slider_blue->setValue(blue);
        c->check_box->setChecked(negative);
        c->reverse_box->setChecked(reverse);
    }
    QString exportPng(const QString &name)
    {
        const QString path = pathFor(name);
        dialogs->exportAnswers << path;
        c->exportPng();
        return path;
    }
    QString copiedCommand()
    {
        QApplication::clipboard()->clear();
        actionNamed("actionCopyCommand")->trigger();
        return QApplication::clipboard()->text();
    }
};

TEST_F(ExportAndCommand, ExportWritesTheResultLosslesslyWithAlpha)
{
    c->saveImage();
    c->exportPng();
    EXPECT_EQ(dialogs->exportCalls, 0); // no source: no dialog
    EXPECT_FALSE(actionNamed("actionExportPng")->isEnabled());

    set(9, 33, 4, 5, 6, true, false);
    open(writePicture(QStringLiteral("in.png"), testpics::translucentPattern(31, 17)));
    EXPECT_TRUE(actionNamed("actionExportPng")->isEnabled());
    const QString png = exportPng(QStringLiteral("out.png"));
    ASSERT_TRUE(messages->errors.isEmpty());
    const QImage written(png);
    EXPECT_TRUE(written.hasAlphaChannel());
    EXPECT_TRUE(testpics::sameBytes(written, shown()));
    EXPECT_EQ(testpics::pixelAt(written, 0, 0).a, testpics::pixelAt(shown(), 0, 0).a);
    EXPECT_LT(testpics::pixelAt(written, 0, 0).a, 255);

    // The same bytes as the shared encoder writes for a .png output.
    const QString reference = pathFor(QStringLiteral("reference.png"));
    ASSERT_TRUE(tintwell::saveImage(shown(), reference, QByteArrayLiteral("png")).isEmpty());
    EXPECT_EQ(fileBytes(png), fileBytes(reference));

    c->exportPng(); // cancelled
    EXPECT_EQ(dialogs->exportCalls, 2);
    exportPng(QStringLiteral("missing/out.png"));
    ASSERT_EQ(messages->errors.size(), 1);
    EXPECT_TRUE(messages->errors[0].contains(QDir::toNativeSeparators(pathFor(QStringLiteral("missing/out.png")))));
}

TEST_F(ExportAndCommand, CommandNamesEveryStepOfAStackedResult)
{
    QAction *copyCommand = actionNamed("actionCopyCommand");
    EXPECT_FALSE(copyCommand->isEnabled());
    EXPECT_TRUE(copyCommand->toolTip().contains(QStringLiteral("open a picture")));

    set(3, 7, 1, 2, 3, true, true);
    const QString input = writePicture(QStringLiteral("photo.png"), testpics::pattern(20, 10));
    open(input);
    ASSERT_TRUE(copyCommand->isEnabled());
    const QString quotedIn = QLatin1Char('\'') + QFileInfo(input).absoluteFilePath() + QLatin1Char('\'');
    const QString quotedOut = QLatin1Char('\'') + pathFor(QStringLiteral("photo-tintwell.png")) + QLatin1Char('\'');
    EXPECT_EQ(copiedCommand(), QStringLiteral("tintwell-cli --filter 3 --value 7 --red 1 --green 2 --blue 3 "
                                              "--negative --reverse ")
                                   + quotedIn + QLatin1Char(' ') + quotedOut);

    c->setAsSource(); // right after adopting, the result is the first step alone
    EXPECT_EQ(copiedCommand(), QStringLiteral("tintwell-cli --filter 3 --value 7 --red 1 --green 2 --blue 3 "
                                              "--negative --reverse ")
                                   + quotedIn + QLatin1Char(' ') + quotedOut);
    set(8, -2, 0, 0, 0, false, false);
    const QString twoSteps = QStringLiteral("tintwell-cli --filter 3 --value 7 --red 1 --green 2 --blue 3 "
                                            "--negative --reverse --then --filter 8 --value -2 ")
                             + quotedIn + QLatin1Char(' ') + quotedOut;
    EXPECT_EQ(copiedCommand(), twoSteps);

    c->setAsSource();
    set(0, 5, 0, 0, 0, false, false);
    EXPECT_TRUE(copiedCommand().contains(QStringLiteral("--then --filter 8 --value -2 --then --filter 0 --value 5 ")));

    c->undo(); // the history keeps the chain
    EXPECT_EQ(copiedCommand(), twoSteps);
}

TEST_F(ExportAndCommand, PastedPictureHasNoCommandAndSaysWhy)
{
    QAction *copyCommand = actionNamed("actionCopyCommand");
    open(writePicture(QStringLiteral("photo.png"), testpics::pattern(20, 10)));
    c->copyToClipboard();
    c->setPasteboardAsSource();
    EXPECT_FALSE(copyCommand->isEnabled());
    EXPECT_TRUE(copyCommand->toolTip().contains(QStringLiteral("clipboard or a drop")))
        << copyCommand->toolTip().toStdString();
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    c->copyAsCommand();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));

    c->undo(); // back to the file: the command is there again
    EXPECT_TRUE(copyCommand->isEnabled());
}

#ifdef TINTWELL_CLI_PATH

class CopiedCommandRuns : public ExportAndCommand
{
protected:
    // Runs the copied command in sh with the built tintwell-cli first on PATH.
    void runCopied(const QString &command)
    {
        QProcess sh;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), QFileInfo(QStringLiteral(TINTWELL_CLI_PATH)).absolutePath()
                                               + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        sh.setProcessEnvironment(env);
        sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
        ASSERT_TRUE(sh.waitForFinished(-1));
        ASSERT_EQ(sh.exitCode(), 0) << command.toStdString() << "\n" << sh.readAllStandardError().toStdString();
    }
    static bool cliKnowsThen()
    {
        QProcess cli;
        cli.start(QStringLiteral(TINTWELL_CLI_PATH), {QStringLiteral("--help")});
        return cli.waitForFinished(-1) && cli.readAllStandardOutput().contains("--then");
    }
    // A folder whose name needs quoting.
    QString awkwardInput()
    {
        const QString folder = pathFor(QStringLiteral("it's a $folder"));
        EXPECT_TRUE(QDir().mkpath(folder));
        const QString input = folder + QStringLiteral("/in put.png");
        EXPECT_TRUE(testpics::translucentPattern(37, 23).save(input));
        return input;
    }
};

TEST_F(CopiedCommandRuns, OneStepGivesTheExportedBytes)
{
    set(21, -5, 9, 0, -40, false, true);
    const QString input = awkwardInput();
    open(input);
    const QString command = copiedCommand();
    runCopied(command);
    const QString output = QFileInfo(input).dir().filePath(QStringLiteral("in put-tintwell.png"));
    ASSERT_TRUE(QFile::exists(output)) << command.toStdString();
    EXPECT_EQ(fileBytes(output), fileBytes(exportPng(QStringLiteral("app.png"))));
}

TEST_F(CopiedCommandRuns, StackedStepsGiveTheExportedBytes)
{
    if (!cliKnowsThen())
        GTEST_SKIP() << "tintwell-cli --help does not mention --then yet";
    const QString input = awkwardInput();
    set(3, 7, 1, 2, 3, true, true);
    open(input);
    c->setAsSource();
    set(8, -2, 0, 0, 0, false, false);
    c->setAsSource();
    set(18, 100, -128, 127, 0, true, false);
    const QString command = copiedCommand();
    ASSERT_EQ(command.count(QStringLiteral("--then")), 2) << command.toStdString();
    runCopied(command);
    const QString output = QFileInfo(input).dir().filePath(QStringLiteral("in put-tintwell.png"));
    EXPECT_EQ(fileBytes(output), fileBytes(exportPng(QStringLiteral("app.png"))));
}

#endif

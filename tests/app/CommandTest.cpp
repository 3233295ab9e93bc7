// Copy as Command, run by a real shell: tintwell-cli gives the bytes the editor
// exports, for one step and for adopted results chained with --then.
#include "AppFixture.h"
#include "TestPictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QSlider>

using namespace tintwell::test;

class Command : public AppFixture
{
protected:
    void set(const tintwell::PassSettings &s)
    {
        c->filter_selector->setCurrentIndex(s.filter);
        c->slider->setValue(int(s.value));
        c->slider_red->setValue(s.red);
        c->slider_green->setValue(s.green);
        c->slider_blue->setValue(s.blue);
        c->check_box->setChecked(s.negative);
        c->reverse_box->setChecked(s.reverse);
    }
    QString copiedCommand()
    {
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        actionNamed("actionCopyCommand")->trigger();
        return QApplication::clipboard()->text();
    }
    // Runs the copied command in sh, the built tintwell-cli first on PATH, and
    // compares what it writes with the editor's export.
    void expectCommandGivesTheExport()
    {
        const QString command = copiedCommand();
        QProcess sh;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"),
                   QFileInfo(QStringLiteral(TINTWELL_CLI_PATH)).absolutePath() + ':' + env.value("PATH"));
        sh.setProcessEnvironment(env);
        sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
        ASSERT_TRUE(sh.waitForFinished(-1));
        ASSERT_EQ(sh.exitCode(), 0) << command.toStdString() << "\n" << sh.readAllStandardError().toStdString();
        dialogs->exportAnswers << pathFor(QStringLiteral("app.png"));
        c->exportPng();
        EXPECT_EQ(readBytes(output), readBytes(pathFor(QStringLiteral("app.png")))) << command.toStdString();
    }
    QString folder = pathFor(QStringLiteral("it's a $folder")); // needs quoting
    QString input = folder + QStringLiteral("/in put.png");
    QString output = folder + QStringLiteral("/in put-tintwell.png");
};

TEST_F(Command, NamesEveryStepAndGivesTheExportedBytes)
{
    QAction *copyCommand = actionNamed("actionCopyCommand");
    EXPECT_FALSE(copyCommand->isEnabled());
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(pattern(37, 23, true).save(input));
    set({3, 7, 1, 2, 3, true, true});
    open(input);
    const QString files = QStringLiteral(" '%1/it'\\''s a $folder/in put.png' '%1/it'\\''s a $folder/in put-tintwell.png'")
                              .arg(dir.path());
    const QString first = QStringLiteral("tintwell-cli --filter 3 --value 7 --red 1 --green 2 --blue 3 --negative --reverse");
    EXPECT_EQ(copiedCommand(), first + files);
    for (const tintwell::PassSettings &s : {tintwell::PassSettings{21, -5, 9, 0, -40, false, true},
                                            tintwell::PassSettings{18, 100, -128, 127, 3, true, true},
                                            tintwell::PassSettings{24, 127}}) {
        set(s);
        expectCommandGivesTheExport();
    }

    set({3, 7, 1, 2, 3, true, true});
    c->setAsSource(); // right after adopting, the result is the first step alone
    EXPECT_EQ(copiedCommand(), first + files);
    set({8, -2});
    EXPECT_EQ(copiedCommand(), first + " --then --filter 8 --value -2" + files);
    c->setAsSource();
    set({18, 100, -128, 127, 0, true, false});
    expectCommandGivesTheExport();
    c->undo(); // the history keeps the chain
    EXPECT_EQ(copiedCommand(), first + " --then --filter 8 --value -2" + files);

    c->copyToClipboard();
    c->setPasteboardAsSource(); // a pasted picture has no command, and says why
    EXPECT_FALSE(copyCommand->isEnabled());
    EXPECT_TRUE(copyCommand->toolTip().contains(QStringLiteral("clipboard or a drop")));
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    c->copyAsCommand();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
}

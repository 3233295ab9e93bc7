// Copy as Command, run by a real shell: tintwell-cli gives the bytes the editor
// exports, for one step and for adopted results chained with --then.
#include "AppFixture.h"

class Command : public AppFixture
{
protected:
    QString copiedCommand()
    {
        QApplication::clipboard()->setText("kept");
        actionNamed("actionCopyCommand")->trigger();
        return QApplication::clipboard()->text();
    }
    // Runs the copied command in sh, the built tintwell-cli first on PATH, and
    // compares what it writes with the editor's export.
    void expectCommandGivesTheExport()
    {
        const QString command = copiedCommand();
        QProcess sh;
        sh.start("sh", {"-c", "PATH=\"$0:$PATH\"; " + command, QFileInfo(TINTWELL_CLI_PATH).absolutePath()});
        ASSERT_TRUE(sh.waitForFinished(-1));
        ASSERT_EQ(sh.exitCode(), 0) << command.toStdString() << "\n" << sh.readAllStandardError().toStdString();
        dialogs->exportAnswers << pathFor("app.png");
        c->exportPng();
        finishJobs();
        EXPECT_EQ(readBytes(folder + "/in put-tintwell.png"), readBytes(pathFor("app.png"))) << command.toStdString();
    }
    QString folder = pathFor("it's a $folder"); // needs quoting
};

TEST_F(Command, NamesEveryStepAndGivesTheExportedBytes)
{
    QAction *copyCommand = actionNamed("actionCopyCommand");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(pattern(37, 23, true).save(folder + "/in put.png"));
    set({3, 7, 1, 2, 3, true, true});
    open(folder + "/in put.png");
    const QString files = QStringLiteral(" '%1/it'\\''s a $folder/in put.png' '%1/it'\\''s a $folder/in put-tintwell.png'")
                              .arg(dir.path());
    const QString first = "tintwell-cli --filter 3 --value 7 --red 1 --green 2 --blue 3 --negative --reverse";
    EXPECT_EQ(copiedCommand(), first + files);
    set({21, -5, 9, 0, -40, false, true});
    expectCommandGivesTheExport();

    set({3, 7, 1, 2, 3, true, true});
    c->setAsSource(); // right after adopting, the result is the first step alone
    EXPECT_EQ(copiedCommand(), first + files);
    set({8, -2});
    c->setAsSource();
    set({18, 100, -128, 127, 0, true, false});
    expectCommandGivesTheExport();
    for (int step = 0; step < 6; ++step)
        c->undo(); // five control steps, then the adopt: the chain stays
    EXPECT_EQ(copiedCommand(), first + " --then --filter 8 --value -2" + files);

    c->copyToClipboard();
    c->setPasteboardAsSource(); // a pasted picture has no command, and says why
    EXPECT_FALSE(copyCommand->isEnabled());
}

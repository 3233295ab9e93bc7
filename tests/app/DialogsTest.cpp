// The file dialogs' starting places and proposals, and the window's keyboard
// mnemonics.
#include "AppFixture.h"

// Save and export propose "<name>-tintwell" in the picture's folder until a
// save or export ends elsewhere; the open dialog starts where the last one
// ended.
TEST_F(AppFixture, SaveProposesPictureNameAndDialogsStartWhereTheLastEnded)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("in") && QDir(dir.path()).mkpath("out"));
    const QString in = pathFor("in"), out = pathFor("out");
    open(writePicture("in/photo.v2.png", pattern(8, 6)));
    c->saveImage(); // cancelled
    EXPECT_EQ(dialogs->lastSaveProposal, in + "/photo.v2-tintwell.jpg");
    c->exportPng(); // cancelled
    EXPECT_EQ(dialogs->lastExportProposal, in + "/photo.v2-tintwell.png");
    dialogs->saveAnswers << out + "/mine.jpg";
    c->saveImage();
    c->exportPng();
    EXPECT_EQ(dialogs->lastExportProposal, out + "/photo.v2-tintwell.png");
    c->selectImage(); // cancelled
    EXPECT_EQ(dialogs->lastOpenFolder, in);
}

// Alt+letter reaches one thing: among the menu titles and the window's own
// labels, boxes and buttons, and within each menu.
TEST_F(AppFixture, EveryMnemonicIsUniqueInItsScope)
{
    const auto expectUnique = [](const QString &scope, const QStringList &texts) {
        QHash<QKeySequence, QString> seen;
        for (const QString &text : texts) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            EXPECT_TRUE(key.isEmpty() || !seen.contains(key))
                << scope.toStdString() << ": " << text.toStdString() << " and " << seen.value(key).toStdString();
            seen.insert(key, text);
        }
    };
    QMainWindow *window = delegate->window();
    QStringList windowTexts;
    for (QAction *title : window->menuBar()->actions())
        windowTexts << title->text();
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->inherits("QMenu") || widget->window() != window)
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            windowTexts << button->text();
        else if (auto *label = qobject_cast<QLabel *>(widget); label && label->buddy())
            windowTexts << label->text();
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            windowTexts << group->title();
    }
    EXPECT_GE(windowTexts.filter("&").size(), 8); // the walk found the controls
    expectUnique("window", windowTexts);
    for (QMenu *menu : window->findChildren<QMenu *>()) {
        QStringList texts;
        for (QAction *action : menu->actions())
            texts << action->text(); // separators have no text
        expectUnique(menu->title(), texts);
    }
}

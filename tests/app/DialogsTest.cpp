// The file dialogs' starting places and proposals, and the window's keyboard
// mnemonics.
#include "AppFixture.h"
#include "TestPictures.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

class Dialogs : public AppFixture
{
};

// Save and export propose "<name>-tintwell" in the picture's folder until a
// save or export ends elsewhere; the open dialog starts where the last one
// ended.
TEST_F(Dialogs, SaveProposesPictureNameAndDialogsStartWhereTheLastEnded)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("in")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("out")));
    const QString in = pathFor(QStringLiteral("in"));
    const QString out = pathFor(QStringLiteral("out"));
    const QString photo = writePicture(QStringLiteral("in/photo.v2.png"), testpics::pattern(8, 6));

    open(photo);
    c->saveImage(); // cancelled
    EXPECT_EQ(dialogs->lastSaveProposal.toStdString(), (in + QStringLiteral("/photo.v2-tintwell.jpg")).toStdString());
    c->exportPng(); // cancelled
    EXPECT_EQ(dialogs->lastExportProposal.toStdString(), (in + QStringLiteral("/photo.v2-tintwell.png")).toStdString());

    dialogs->saveAnswers << out + QStringLiteral("/mine.jpg");
    c->saveImage();
    c->exportPng();
    EXPECT_EQ(dialogs->lastExportProposal.toStdString(), (out + QStringLiteral("/photo.v2-tintwell.png")).toStdString());

    c->selectImage(); // cancelled
    EXPECT_EQ(dialogs->lastOpenFolder.toStdString(), in.toStdString());
}

namespace {

// The Alt+letter of `text` ("S&wap" -> Alt+W); empty when it has none.
QKeySequence mnemonicOf(const QString &text)
{
    return QKeySequence::mnemonic(text);
}

// Fails for each mnemonic that two texts of one scope share.
void expectUnique(const QString &scope, const QStringList &texts)
{
    QHash<QKeySequence, QString> seen;
    for (const QString &text : texts) {
        const QKeySequence key = mnemonicOf(text);
        if (key.isEmpty())
            continue;
        EXPECT_FALSE(seen.contains(key)) << scope.toStdString() << ": \"" << text.toStdString()
                                         << "\" and \"" << seen.value(key).toStdString() << "\" share "
                                         << key.toString().toStdString();
        seen.insert(key, text);
    }
}

} // namespace

// Alt+letter reaches one thing: among the menu titles and the window's own
// labels, boxes and buttons, and within each menu.
TEST_F(Dialogs, EveryMnemonicIsUniqueInItsScope)
{
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
    EXPECT_GE(windowTexts.filter(QLatin1String("&")).size(), 8); // the walk found the controls
    expectUnique(QStringLiteral("window"), windowTexts);

    const QList<QMenu *> menus = window->findChildren<QMenu *>();
    EXPECT_GE(menus.size(), 3);
    for (QMenu *menu : menus) {
        QStringList texts;
        for (QAction *action : menu->actions())
            if (!action->isSeparator())
                texts << action->text();
        expectUnique(menu->title(), texts);
    }
}

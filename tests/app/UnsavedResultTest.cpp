// A result changed since the last open, paste or save is never dropped
// without asking: quitting, closing the window, opening another picture and
// pasting one ask Save / Discard / Cancel; an open or a save alone leaves
// nothing to ask.
#include "AppFixture.h"

using Choice = MessageBoxes::UnsavedChoice;

TEST_F(AppFixture, MustShow_QuittingOrLeavingAChangedResultAsksAndGoesOnOnlyWhenSavedOrDiscarded)
{
    enum Leave { Quit, Close, Open, Paste };
    // saveDialogAnswers: with Save, the save dialog gives a path (else it is cancelled).
    const struct { Leave leave; Choice choice; bool saveDialogAnswers, goesOn; } cases[] = {{Quit, Choice::Cancel, false, false}, {Close, Choice::Save, false, false},
                 {Open, Choice::Save, true, true},      {Paste, Choice::Cancel, false, false},
                 {Quit, Choice::Discard, false, true}};
    const QString picture = writePicture("first.png", pattern(12, 8)), target = pathFor("kept.jpg");
    for (const auto &k : cases) {
        SCOPED_TRACE(int(k.leave) * 10 + int(k.choice));
        open(picture);
        c->slider->setValue(c->slider->value() + 1);
        const QImage result = shown();
        messages->saveQuestions.clear();
        messages->saveChoices << k.choice;
        if (k.saveDialogAnswers)
            dialogs->saveAnswers << target;
        bool wentOn = false;
        if (k.leave == Quit)
            delegate->window()->show(), actionNamed("actionQuit")->trigger(), wentOn = !delegate->window()->isVisible();
        else if (k.leave == Close)
            wentOn = delegate->window()->close();
        else if (k.leave == Open)
            open(writePicture("second.png", pattern(6, 4))), wentOn = c->pictureName() == "second.png";
        else
            QApplication::clipboard()->setImage(pattern(5, 5)), c->setPasteboardAsSource(),
                wentOn = c->current_image.size() == QSize(5, 5);
        EXPECT_EQ(wentOn, k.goesOn);
        EXPECT_EQ(messages->saveQuestions.size(), 1);
        EXPECT_EQ(QFileInfo::exists(target), k.saveDialogAnswers);
        if (!k.goesOn) {
            EXPECT_EQ(shown().cacheKey(), result.cacheKey());
        }
        QFile::remove(target);
    }
}

TEST_F(AppFixture, NothingIsAskedWithoutAChangeSinceOpenOrSave)
{
    const QString picture = writePicture("p.png", pattern(12, 8));
    c->slider->setValue(30);
    open(picture); // filtered by the controls left from before
    open(picture);
    c->slider->setValue(31);
    dialogs->exportAnswers << pathFor("out.png");
    c->exportPng();
    EXPECT_TRUE(delegate->window()->close());
    EXPECT_TRUE(messages->saveQuestions.isEmpty());
}

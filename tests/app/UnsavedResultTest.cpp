// A result changed since the last open, paste or save is never dropped
// without asking: closing the window, opening another picture and pasting one
// ask Save / Discard / Cancel.
#include "AppFixture.h"
#include "TestPictures.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMainWindow>
#include <QSlider>

using Choice = MessageBoxes::UnsavedChoice;

namespace {

enum class Leave { Close, Open, Paste };

struct Case {
    const char *name;
    Leave leave;
    Choice choice;
    bool saveDialogAnswers; // with Save: the save dialog gives a path (else it is cancelled)
    bool goesOn;
};

const Case cases[] = {
    {"CloseCancelled", Leave::Close, Choice::Cancel, false, false},
    {"CloseDiscarded", Leave::Close, Choice::Discard, false, true},
    {"CloseSaved", Leave::Close, Choice::Save, true, true},
    {"CloseSaveCancelled", Leave::Close, Choice::Save, false, false},
    {"OpenCancelled", Leave::Open, Choice::Cancel, false, false},
    {"OpenSaved", Leave::Open, Choice::Save, true, true},
    {"PasteCancelled", Leave::Paste, Choice::Cancel, false, false},
};

} // namespace

class UnsavedResult : public AppFixture, public ::testing::WithParamInterface<Case>
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        first = writePicture(QStringLiteral("first.png"), testpics::pattern(12, 8));
        second = writePicture(QStringLiteral("second.png"), testpics::pattern(6, 4));
        open(first);
    }

    // Does `leave`; returns whether it went through.
    bool leaveBy(Leave leave)
    {
        switch (leave) {
        case Leave::Close:
            return delegate->window()->close();
        case Leave::Open:
            open(second);
            return c->pictureName() == QStringLiteral("second.png");
        case Leave::Paste:
            QApplication::clipboard()->setImage(testpics::pattern(5, 5));
            c->setPasteboardAsSource();
            return c->current_image.size() == QSize(5, 5);
        }
        return false;
    }

    QString first;
    QString second;
};

TEST_P(UnsavedResult, AsksAndGoesOnOnlyWhenTheResultIsSavedOrDiscarded)
{
    const Case &k = GetParam();
    c->slider->setValue(9);
    const QImage result = shown();
    const QString target = pathFor(QStringLiteral("kept.jpg"));
    messages->saveChoices << k.choice;
    if (k.saveDialogAnswers)
        dialogs->saveAnswers << target;

    EXPECT_EQ(leaveBy(k.leave), k.goesOn);
    EXPECT_EQ(messages->saveQuestions.size(), 1);
    EXPECT_EQ(QFileInfo::exists(target), k.saveDialogAnswers);
    if (!k.goesOn) {
        EXPECT_EQ(shown().cacheKey(), result.cacheKey());
        EXPECT_TRUE(delegate->window()->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(, UnsavedResult, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<Case> &info) { return info.param.name; });

// An open alone, even one filtered by the controls left from before, and a
// save leave nothing to ask about.
class SettledResult : public AppFixture
{
};

TEST_F(SettledResult, NothingIsAskedWithoutAChangeSinceOpenOrSave)
{
    const QString picture = writePicture(QStringLiteral("p.png"), testpics::pattern(12, 8));
    c->slider->setValue(30);
    open(picture);
    open(picture);
    EXPECT_TRUE(messages->saveQuestions.isEmpty());

    c->slider->setValue(31);
    dialogs->exportAnswers << pathFor(QStringLiteral("out.png"));
    c->exportPng();
    EXPECT_TRUE(delegate->window()->close());
    EXPECT_TRUE(messages->saveQuestions.isEmpty());
}

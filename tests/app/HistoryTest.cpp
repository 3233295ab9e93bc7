// The undo history on its own, without widgets: the memory budget that drops
// the oldest steps first.
#include "History.h"

#include <gtest/gtest.h>

namespace {

// A state whose source is `pixels` × 1 pixels of 4 bytes, named `name`.
EditorState state(const QString &name, int pixels = 16, qint64 value = 0)
{
    EditorState s;
    s.source = QImage(pixels, 1, QImage::Format_RGBX8888);
    s.source.fill(Qt::gray);
    s.name = name;
    s.settings.value = value;
    s.rendered = true;
    return s;
}

} // namespace

TEST(History, OverTheBudgetTheOldestStepsGoFirst)
{
    History history(1000); // room for two 400-byte pictures
    history.push(state(QStringLiteral("a"), 100)); // 400 bytes
    history.push(state(QStringLiteral("b"), 100)); // 800
    EXPECT_EQ(history.size(), 3);
    history.push(state(QStringLiteral("c"), 100)); // 1200: "a" goes (the start holds no pixels)
    EXPECT_LE(history.bytes(), 1000);
    EXPECT_EQ(history.current().name, QStringLiteral("c"));
    EXPECT_EQ(history.undo().name, QStringLiteral("b"));
    EXPECT_FALSE(history.canUndo());

    // A picture larger than the whole budget stays as the current entry alone.
    history.push(state(QStringLiteral("huge"), 1000));
    EXPECT_EQ(history.size(), 1);
    EXPECT_EQ(history.current().name, QStringLiteral("huge"));
    EXPECT_FALSE(history.canUndo());
}

TEST(History, SharedPixelsAreCountedOnce)
{
    History history;
    const EditorState a = state(QStringLiteral("a"), 100);
    history.push(a);
    history.push(a); // the same picture, e.g. the shown result adopted
    EXPECT_EQ(history.bytes(), 400);
    history.push(state(QStringLiteral("b"), 50));
    EXPECT_EQ(history.bytes(), 600);
}

#include "EditorActions.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

QAction *makeAction(QMainWindow *window, const char *name, const QString &text, const QString &tip,
                    const QList<QKeySequence> &shortcuts = {})
{
    auto *action = new QAction(text, window);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(tip);
    action->setStatusTip(tip);
    action->setShortcuts(shortcuts);
    return action;
}

// The builder, a class so that its texts are translated, and found by
// lupdate, in the context "EditorActions".
class ActionBuilder
{
    Q_DECLARE_TR_FUNCTIONS(EditorActions)

public:
    static EditorActions build(QMainWindow *window);
};

} // namespace

EditorActions createActions(QMainWindow *window)
{
    return ActionBuilder::build(window);
}

EditorActions ActionBuilder::build(QMainWindow *window)
{
    EditorActions a;
    a.open = makeAction(window, "actionOpen", tr("&Open…"), tr("Open a picture as the source"),
                        {QKeySequence(Qt::CTRL | Qt::Key_O)});
    a.save = makeAction(window, "actionSave", tr("&Save As JPEG…"), tr("Save the filtered picture as a JPEG file"),
                        {QKeySequence(Qt::CTRL | Qt::Key_S)});
    a.exportPng = makeAction(window, "actionExportPng", tr("&Export As PNG…"),
                             tr("Save the filtered picture as a lossless PNG file, transparency kept"),
                             {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    a.quit = makeAction(window, "actionQuit", tr("&Quit"), tr("Close Tintwell"),
                        {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    a.undo = makeAction(window, "actionUndo", tr("&Undo"), tr("Undo the last change"),
                        {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    a.redo = makeAction(window, "actionRedo", tr("&Redo"), tr("Redo the change last undone"),
                        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    a.copy = makeAction(window, "actionCopy", tr("&Copy"), tr("Copy the filtered picture to the clipboard"),
                        {QKeySequence(Qt::CTRL | Qt::Key_C)});
    a.copyCommand = makeAction(window, "actionCopyCommand", tr("Copy as Co&mmand"),
                               tr("Copy the tintwell-cli command that makes this picture from the opened file"),
                               {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)});
    a.paste = makeAction(window, "actionPaste", tr("&Paste as Source"),
                         tr("Take the picture on the clipboard as the source"),
                         {QKeySequence(Qt::CTRL | Qt::Key_V)});
    a.adopt = makeAction(window, "actionAdopt", tr("Use Result as &Source"),
                         tr("Filter the filtered picture again from now on"),
                         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    a.compare = makeAction(window, "actionCompare", tr("Compare"),
                           tr("Hold to see the source picture (or hold the \\ key)"));
    a.zoomIn = makeAction(window, "actionZoomIn", tr("Zoom &In"), tr("Show the picture larger"),
                          {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    a.zoomOut = makeAction(window, "actionZoomOut", tr("Zoom &Out"), tr("Show the picture smaller, down to the fitted view"),
                           {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    a.actualSize = makeAction(window, "actionActualSize", tr("&Actual Pixels (100%)"),
                              tr("One picture pixel on every screen pixel"), {QKeySequence(Qt::CTRL | Qt::Key_1)});
    a.fitToWindow = makeAction(window, "actionFitToWindow", tr("&Fit in Window"),
                               tr("Show the whole picture, never enlarged"), {QKeySequence(Qt::CTRL | Qt::Key_0)});
    a.share = makeAction(window, "actionShare", tr("S&hare Tintwell…"),
                         tr("Open the share page for Tintwell in the web browser"));
    a.about = makeAction(window, "actionAbout", tr("&About Tintwell"), tr("Version, history size and licence"));

    QMenu *file = window->menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    file->addActions({a.open, a.save, a.exportPng});
    file->addSeparator();
    file->addAction(a.quit);

    QMenu *edit = window->menuBar()->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    edit->addActions({a.undo, a.redo});
    edit->addSeparator();
    edit->addActions({a.copy, a.copyCommand, a.paste, a.adopt});
    edit->setToolTipsVisible(true); // says why "Copy as Command" is off

    QMenu *view = window->menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    view->addActions({a.zoomIn, a.zoomOut});
    view->addSeparator();
    view->addActions({a.actualSize, a.fitToWindow});

    QMenu *help = window->menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addActions({a.share, a.about});

    QToolBar *bar = window->addToolBar(tr("Picture"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addActions({a.open, a.save});
    bar->addSeparator();
    bar->addActions({a.undo, a.redo});
    bar->addSeparator();
    bar->addActions({a.copy, a.paste, a.adopt});
    bar->addSeparator();
    bar->addAction(a.compare);
    bar->addSeparator();
    bar->addAction(a.share);
    a.compareButton = qobject_cast<QToolButton *>(bar->widgetForAction(a.compare));
    return a;
}

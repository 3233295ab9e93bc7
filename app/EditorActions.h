// Every command of the editor window, built in one place with its text,
// shortcut and tip, and the menus and tool bar that offer them.
#pragma once

class QAbstractButton;
class QAction;
class QMainWindow;

struct EditorActions {
    QAction *open = nullptr;
    QAction *save = nullptr;
    QAction *exportPng = nullptr;
    QAction *quit = nullptr;
    QAction *undo = nullptr;
    QAction *redo = nullptr;
    QAction *copy = nullptr;
    QAction *copyCommand = nullptr;
    QAction *paste = nullptr;
    QAction *adopt = nullptr;
    QAction *compare = nullptr;          // on the tool bar only: held, not clicked
    QAbstractButton *compareButton = nullptr;
    QAction *zoomIn = nullptr;
    QAction *zoomOut = nullptr;
    QAction *actualSize = nullptr;
    QAction *fitToWindow = nullptr;
    QAction *share = nullptr;
    QAction *about = nullptr;
};

// Creates the actions as children of `window` (object names "actionOpen",
// "actionSave"...), fills its menu bar (File, Edit, View, Help) and adds one tool
// bar. Connects nothing.
EditorActions createActions(QMainWindow *window);
